#include "foundation/version.h"

#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/program.h"

#include <array>
#include <charconv>
#include <fmt/format.h>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>

const VersionData g_programVersion{std::string(g_programVersionText)};

namespace {

constexpr std::int64_t lf_maxField = std::numeric_limits<std::int32_t>::max();
// Far more than any version takes ("2147483647.2147483647.2147483647", or the JSON object with
// blanks); a longer text is refused before the matcher, whose cost grows with its square.
constexpr std::size_t lf_maxVersionText = 256;

bool lf_isDigit(char c) { return c >= '0' && c <= '9'; }
bool lf_isLineBreak(char c) { return c == '\n' || c == '\r'; }

std::size_t lf_digitsAt(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && lf_isDigit(text[end]))
        ++end;
    return end - at;
}

// The groups of a whole-text match of (\d+).(\d+).(\d+): digits, any character but a line break,
// digits, another, digits, in one pass. Where the runs could be cut in several ways, the first is
// taken as long as possible, then the second, as the pattern engines do.
std::optional<std::array<std::string_view, 3>> lf_versionParts(std::string_view text)
{
    const std::size_t n = text.size();
    std::size_t lastRun = n; // where the digits that end the text begin
    while (lastRun > 0 && lf_isDigit(text[lastRun - 1]))
        --lastRun;
    if (n < 5 || lastRun == n)
        return std::nullopt;
    for (std::size_t first = lf_digitsAt(text, 0); first >= 1; --first) {
        if (first + 1 >= n || lf_isLineBreak(text[first]))
            continue;
        const std::size_t from = first + 1;
        // the second run ends before one more character and at least one digit
        std::size_t second = std::min(lf_digitsAt(text, from), n - 2 - std::min(n - 2, from));
        if (second >= 1 && lf_isLineBreak(text[from + second]))
            --second; // then the character behind it is a digit
        if (second >= 1 && from + second + 1 >= lastRun)
            return std::array{text.substr(0, first), text.substr(from, second), text.substr(from + second + 1)};
    }
    return std::nullopt;
}

std::uint32_t lf_toNumber(std::string_view digits)
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
        if (text.size() > lf_maxVersionText)
            throw std::runtime_error(fmt::format("version text longer than {} characters", lf_maxVersionText));
        if (const auto parts = lf_versionParts(text)) {
            major = lf_toNumber((*parts)[0]);
            minor = lf_toNumber((*parts)[1]);
            patch = lf_toNumber((*parts)[2]);
            return;
        }
        const auto json = gf_parseJson(text, true);
        if (json.is_object()) {
            // a number out of range counts as absent
            major = static_cast<std::uint32_t>(gf_jsonInteger(json, "major", 0, 0, lf_maxField));
            minor = static_cast<std::uint32_t>(gf_jsonInteger(json, "minor", 0, 0, lf_maxField));
            patch = static_cast<std::uint32_t>(gf_jsonInteger(json, "patch", 0, 0, lf_maxField));
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
