#include "airports/stand.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>
#include <utility>

namespace {

constexpr std::size_t lf_neighboursReserve = 8;

// One stand's score for its real or its soft options.
double lf_standScore(const Stand& stand, bool real)
{
    std::int64_t n = 0;
    std::int64_t h = 0;
    std::bitset<8> days;
    for (const StandOption& option : stand.options) {
        if (option.optionId == 0 || (option.real != 0) != real)
            continue;
        ++n;
        if (option.day >= 1 && option.day <= 7)
            days.set(static_cast<std::size_t>(option.day));
        h += static_cast<std::int64_t>(option.hh.count());
    }
    if (n == 0)
        return 0.0;
    return static_cast<double>(std::min<std::int64_t>(20 * n, 4000) + 10000 +
                               100 * static_cast<std::int64_t>(days.count()) + 2 * std::min<std::int64_t>(h, 600));
}

std::int32_t lf_factor(double sum, double weights)
{
    return std::clamp(gsl::narrow<std::int32_t>(std::round(sum / weights * 0.00625)), 0, 100);
}

} // namespace

void gf_renumberOptions(std::vector<StandOption>& options)
{
    std::int32_t id = 0;
    for (StandOption& o : options)
        o.optionId = ++id;
}

Stand::Stand(std::string name, std::vector<StandOption> options, const StandPosition& position, double radiusMetres,
             bool notCargo, bool notRamp, bool notHeli)
    : options(std::move(options)), name(std::move(name)), latitude(position.latitude),
      longitude(position.longitude), heading(position.heading), radius(radiusMetres * g_nmPerMetre),
      cargo(!notCargo), ramp(!notRamp), heli(!notHeli)
{
    neighbours.reserve(lf_neighboursReserve);
}

PackedQf gf_packQf(std::int32_t real, std::int32_t soft)
{
    return (static_cast<PackedQf>(static_cast<std::uint32_t>(soft)) << 32) | static_cast<std::uint32_t>(real);
}

std::int32_t gf_qfReal(PackedQf qf) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(qf)); }
std::int32_t gf_qfSoft(PackedQf qf) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(qf >> 32)); }

PackedQf gf_computeQf(const std::vector<Stand>& stands)
{
    const bool anyOption =
        std::any_of(stands.begin(), stands.end(), [](const Stand& s) { return !s.options.empty(); });
    if (!anyOption)
        return gf_packQf(-1, -1);
    double weights = 0.0;
    double real = 0.0;
    double soft = 0.0;
    for (const Stand& stand : stands) {
        // the radius is in nautical miles: every stand of real size weighs 0.3, as the factors
        // stored in existing files were computed
        const double weight = stand.radius <= 7.0 ? 0.3 : (stand.radius <= 10.0 ? 1.5 : 1.0);
        weights += weight;
        real += lf_standScore(stand, true) * weight;
        soft += lf_standScore(stand, false) * weight;
    }
    if (!(weights > 0.0))
        return 0;
    return gf_packQf(lf_factor(real, weights), lf_factor(soft, weights));
}

std::string gf_formatQf(PackedQf qf)
{
    const std::int32_t real = gf_qfReal(qf);
    const std::int32_t soft = gf_qfSoft(qf);
    if (real < 0 && soft < 0)
        return "  ";
    if (real < 45)
        return fmt::format("{:2}/{:2}", real, soft);
    return fmt::format("{:2}", real);
}
