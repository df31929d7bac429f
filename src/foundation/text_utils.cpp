#include "foundation/text_utils.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>

std::string gf_trim(std::string_view text)
{
    const auto first = text.find_first_not_of(g_blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(g_blanks);
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> gf_split(std::string_view text, char separator)
{
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    pieces.resize(static_cast<std::size_t>(std::count(text.begin(), text.end(), separator)) + 1);
    std::size_t begin = 0;
    for (auto& piece : pieces) {
        const auto end = std::min(text.find(separator, begin), text.size());
        piece = gf_trim(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return pieces;
}

std::string gf_cutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) // inside a character
        --cut;
    return std::string(text.substr(0, cut));
}

std::string gf_cutText(std::string_view text, std::size_t maxBytes)
{
    return text.size() <= maxBytes ? std::string(text) : gf_cutUtf8(text, maxBytes) + "...";
}

std::vector<std::string> gf_splitComma(std::string_view text) { return gf_split(text, ','); }

std::vector<std::string> gf_splitCommaSortedUnique(std::string_view text)
{
    auto pieces = gf_splitComma(text);
    std::sort(pieces.begin(), pieces.end());
    pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
    return pieces;
}

std::string gf_joinComma(const std::vector<std::string>& pieces) { return fmt::format("{}", fmt::join(pieces, ",")); }

void gf_removeSpacesInCommaList(std::string& text)
{
    if (text.empty() || text.find_first_of(g_blanks) == std::string::npos)
        return;
    text = gf_joinComma(gf_splitComma(text));
}

std::string gf_unquote(std::string_view text)
{
    const auto first = text.find('"');
    if (first == std::string_view::npos)
        return std::string(text);
    const auto second = text.find('"', first + 1);
    if (second == std::string_view::npos)
        return {};
    return std::string(text.substr(first + 1, second - first - 1));
}

std::string_view gf_plural(std::int32_t count) { return (count == 1 || count < 0) ? "" : "s"; }
std::string_view gf_plural(std::int64_t count) { return (count == 1 || count < 0) ? "" : "s"; }
std::string_view gf_plural(std::uint64_t count) { return count == 1 ? "" : "s"; }

std::string gf_float2string(float value)
{
    return std::fmod(value, 1.0f) == 0.0f ? fmt::format("{:.0f}", value) : fmt::format("{:.1f}", value);
}

int gf_percentage(std::int64_t part, std::int64_t total)
{
    if (total < 1)
        return 0;
    return gsl::narrow<int>(std::round(static_cast<double>(part) * 100.0 / static_cast<double>(total)));
}

bool gf_equalsUppercased(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return x == static_cast<char>(std::toupper(static_cast<unsigned char>(y)));
           });
}

bool gf_equalsWithStar(std::string_view a, std::string_view b)
{
    return b.size() == a.size() + 1 && b.back() == '*' && b.starts_with(a);
}
