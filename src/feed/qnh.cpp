#include "feed/weather_client.h"
#include "foundation/log.h"

#include <charconv>
#include <cmath>
#include <fmt/format.h>
#include <limits>

namespace {

constexpr std::int32_t lf_standardQnh = 1013;
constexpr double lf_hpaPerHundredthInHg = 0.33865307;

std::int32_t lf_clampToInt32(double v)
{
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (!(v >= lo))
        return std::numeric_limits<std::int32_t>::min();
    if (v > hi)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

} // namespace

std::int32_t extractQNH(const nlohmann::json& data)
{
    if (data.empty() || !data.is_object() || !data.contains("QNH")) {
        gf_logError("No QNH found in data");
        return lf_standardQnh;
    }
    const nlohmann::json& v = data["QNH"];
    double value = lf_standardQnh;
    if (v.is_number_unsigned()) {
        value = static_cast<double>(v.get<std::uint64_t>());
    } else if (v.is_number_integer()) {
        value = static_cast<double>(v.get<std::int64_t>());
    } else if (v.is_number_float()) {
        const double d = v.get<double>();
        const float f = static_cast<float>(std::fmax(-1e9, std::fmin(1e9, d)));
        value = std::round(static_cast<double>(f));
    } else if (v.is_string()) {
        const std::string& text = v.get_ref<const std::string&>();
        std::int32_t n = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
        (void)end;
        if (error != std::errc()) {
            gf_logError(fmt::format("{}: {}", "extractQNH", text));
            return lf_standardQnh;
        }
        value = n;
    } else {
        gf_logError("No QNH found in data");
        return lf_standardQnh;
    }
    if (value <= 1080.0)
        return lf_clampToInt32(value);
    return lf_clampToInt32(std::round(value * lf_hpaPerHundredthInHg));
}
