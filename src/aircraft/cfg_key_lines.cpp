#include "aircraft/cfg_key_lines.h"

#include "aircraft/base_container_types.h"
#include "foundation/text_utils.h"

#include <algorithm>

namespace {

constexpr auto g_flags = std::regex::ECMAScript | std::regex::icase;

bool lf_isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char lf_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The line after leading blanks begins with `key`, letter case ignored.
bool lf_startsWithKey(std::string_view line, std::string_view key)
{
    std::size_t at = 0;
    while (at < line.size() && lf_isBlank(line[at]))
        ++at;
    if (line.size() - at < key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (lf_upper(line[at + i]) != lf_upper(key[i]))
            return false;
    }
    return true;
}

struct KeyPattern {
    std::string_view key;
    std::regex pattern;
};

const KeyPattern& lf_titlePattern()
{
    static const KeyPattern p{"title", std::regex(R"(\s*(title)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_texturePattern()
{
    static const KeyPattern p{"texture", std::regex(R"(\s*(texture)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_parkingTypesPattern()
{
    static const KeyPattern p{"atc_parking_types", std::regex(R"(\s*(atc_parking_types)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_atcIdPattern()
{
    static const KeyPattern p{"atc_id", std::regex(R"(\s*(atc_id)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_icaoAirlinePattern()
{
    static const KeyPattern p{"icao_airline", std::regex(R"(\s*(icao_airline)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_typeDesignatorPattern()
{
    static const KeyPattern p{"icao_type_designator",
                              std::regex(R"(\s*(icao_type_designator)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_baseContainerPattern()
{
    static const KeyPattern p{"base_container", std::regex(R"(\s*(base_container)\s*=\s*(.*\S)\s*)", g_flags)};
    return p;
}
const KeyPattern& lf_headerPattern()
{
    static const KeyPattern p{"[fltsim.", std::regex(R"(\s*(\[fltsim\.)(\d+)\]\s*)", g_flags)};
    return p;
}

std::string lf_value(std::string_view line, const KeyPattern& p) { return gf_matchValue(line, p.key, p.pattern); }

bool lf_acceptNonEmpty(std::string_view line, const KeyPattern& p, std::string& output)
{
    std::string value = gf_unquote(lf_value(line, p));
    if (value.empty())
        return false;
    output = std::move(value);
    return true;
}

} // namespace

std::string gf_toUpper(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), lf_upper);
    return upper;
}

std::string gf_matchValue(std::string_view line, std::string_view key, const std::regex& pattern)
{
    if (line.size() > g_maxKeyLineLength || !lf_startsWithKey(line, key))
        return {};
    std::cmatch match;
    if (!std::regex_match(line.data(), line.data() + line.size(), match, pattern))
        return {};
    return match.str(2);
}

std::string gf_getFltsimNumber(std::string_view line)
{
    if (line.size() >= 2 && line.starts_with("//"))
        return {};
    if (std::string digits = lf_value(line, lf_headerPattern()); !digits.empty())
        return digits;
    if (line.find("[fltsim.") != std::string_view::npos || line.find("[FLTSIM.") != std::string_view::npos)
        return "10000";
    return {};
}

bool gf_getTitle(std::string_view line, std::string& title) { return lf_acceptNonEmpty(line, lf_titlePattern(), title); }

bool gf_getTexture(std::string_view line, std::string& texture)
{
    return lf_acceptNonEmpty(line, lf_texturePattern(), texture);
}

bool gf_getAtcParkingTypes(std::string_view line, std::string& types)
{
    return lf_acceptNonEmpty(line, lf_parkingTypesPattern(), types);
}

bool gf_getAtcId(std::string_view line, std::string& atcId)
{
    std::string value = gf_unquote(lf_value(line, lf_atcIdPattern()));
    if (value.size() < 5)
        return false;
    atcId = std::move(value);
    return true;
}

bool gf_getIcaoAirline(std::string_view line, std::string& airline)
{
    const std::string raw = lf_value(line, lf_icaoAirlinePattern());
    if (raw.empty())
        return false;
    const std::string value = gf_unquote(raw);
    airline = (value.empty() || value == "ZZZZ") ? std::string("ZZZ") : gf_toUpper(value);
    return true;
}

std::string gf_getIcaoTypeDesignator(std::string_view line)
{
    std::string value = gf_unquote(lf_value(line, lf_typeDesignatorPattern()));
    if (value.size() > 4)
        value.resize(4);
    return gf_toUpper(value);
}

std::string gf_getBaseContainerType(std::string_view line)
{
    const std::string value = gf_unquote(lf_value(line, lf_baseContainerPattern()));
    if (value.size() <= 3)
        return {};
    // the first three characters are the relative prefix, "..\" or "../"
    const auto type = gf_baseContainerType(value.substr(3));
    return type ? gf_toUpper(*type) : std::string();
}

bool gf_hasAtcIdKey(std::string_view line) { return line.find("atc_id=") != std::string_view::npos; }

bool gf_hasAtcParkingTypesKey(std::string_view line)
{
    return line.find("atc_parking_types") != std::string_view::npos;
}
