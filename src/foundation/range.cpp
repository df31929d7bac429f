#include "foundation/range.h"

#include "foundation/option_controls.h"
#include "foundation/option_table.h"

#include <array>
#include <limits>
#include <utility>

void gf_setRange(std::int32_t nm)
{
    RANGE.value = RANGE.clamped(nm);
    gf_selectChoice(RANGE);
    g_rangeNm = static_cast<double>(nm);
    const std::int64_t meters = std::int64_t{nm} * 1852 + 10000;
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    g_rangeMeters = static_cast<std::int32_t>(meters < lowest ? lowest : (meters > highest ? highest : meters));
}

std::int32_t gf_snapRange(std::int32_t nm)
{
    if (nm <= 2)
        return 2;
    if (nm <= 6)
        return nm;
    // the upper end of each band and the choice it gives
    static constexpr std::array<std::pair<std::int32_t, std::int32_t>, 14> bands{{{8, 8},
                                                                                   {10, 10},
                                                                                   {12, 12},
                                                                                   {14, 14},
                                                                                   {16, 16},
                                                                                   {18, 18},
                                                                                   {22, 20},
                                                                                   {27, 25},
                                                                                   {32, 30},
                                                                                   {37, 35},
                                                                                   {44, 40},
                                                                                   {56, 50},
                                                                                   {72, 65},
                                                                                   {89, 80}}};
    for (const auto& [upper, choice] : bands)
        if (nm <= upper)
            return choice;
    return 100;
}

std::int32_t gf_snapHeight(std::int32_t feet)
{
    if (feet >= 47000)
        return 48000;
    if (feet >= 27000)
        return 36000;
    if (feet >= 17000)
        return 18000;
    if (feet < 3000)
        return 2000;
    // 3000..16999: to the even thousand, odd thousands rounding up
    return (feet / 2000) * 2000 + ((feet / 1000) % 2 == 1 ? 2000 : 0);
}

namespace {

// The choice of the first band whose lower end the value reaches (bands from the top); `below`
// under them all.
template <std::size_t n>
std::int32_t lf_bandChoice(std::int32_t v, const std::array<std::pair<std::int32_t, std::int32_t>, n>& bands,
                           std::int32_t below)
{
    for (const auto& [lower, choice] : bands)
        if (v >= lower)
            return choice;
    return below;
}

} // namespace

std::int32_t gf_snapCount(std::int32_t n)
{
    static constexpr std::array<std::pair<std::int32_t, std::int32_t>, 6> bands{
        {{300, 500}, {88, 100}, {63, 75}, {38, 50}, {18, 25}, {1, 10}}};
    return lf_bandChoice(n, bands, 0);
}

std::int32_t gf_snapAirportRange(std::int32_t nm)
{
    static constexpr std::array<std::pair<std::int32_t, std::int32_t>, 5> bands{
        {{27, 30}, {23, 25}, {18, 20}, {13, 15}, {8, 10}}};
    return lf_bandChoice(nm, bands, 5);
}
