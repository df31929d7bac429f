#include "foundation/version.h"

#include "foundation/log.h"
#include "foundation/program.h"

#include <charconv>
#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <stdexcept>
#include <tuple>

const VersionData g_programVersion{std::string(g_programVersionText)};

namespace {

std::uint32_t lf_toNumber(const std::string& digits)
{
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || ptr != digits.data() + digits.size())
        throw std::runtime_error("parse error in version string");
    return static_cast<std::uint32_t>(value);
}

} // namespace

VersionData::VersionData(const std::string& text)
{
    if (text.empty())
        return;
    try {
        static const std::regex pattern(R"((\d+).(\d+).(\d+))");
        std::smatch match;
        if (std::regex_match(text, match, pattern)) {
            major = lf_toNumber(match[1].str());
            minor = lf_toNumber(match[2].str());
            patch = lf_toNumber(match[3].str());
            return;
        }
        const auto json = nlohmann::json::parse(text);
        if (json.is_object()) {
            major = json.value("major", 0u);
            minor = json.value("minor", 0u);
            patch = json.value("patch", 0u);
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "VersionData", e.what()));
    }
}

std::string VersionData::toString() const { return fmt::format("{}.{}.{}", major, minor, patch); }

bool gf_isNewerVersion(const VersionData& a, const VersionData& b)
{
    auto lt_signed = [](const VersionData& v) {
        return std::tuple{static_cast<std::int32_t>(v.major), static_cast<std::int32_t>(v.minor),
                          static_cast<std::int32_t>(v.patch)};
    };
    return lt_signed(a) > lt_signed(b);
}
