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

std::int32_t gf_snapCount(std::int32_t n)
{
    if (n >= 300)
        return 500;
    if (n >= 88)
        return 100;
    if (n >= 63)
        return 75;
    if (n >= 38)
        return 50;
    if (n >= 18)
        return 25;
    return n >= 1 ? 10 : 0;
}

std::int32_t gf_snapAirportRange(std::int32_t nm)
{
    if (nm >= 27)
        return 30;
    if (nm >= 23)
        return 25;
    if (nm >= 18)
        return 20;
    if (nm >= 13)
        return 15;
    return nm >= 8 ? 10 : 5;
}
