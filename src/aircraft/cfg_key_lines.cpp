#include "aircraft/cfg_key_lines.h"

#include "aircraft/base_container_types.h"
#include "foundation/text_utils.h"

#include <algorithm>

namespace {

// the blanks of the key-line format: space, tab, line feed, vertical tab, form feed, return
bool lf_isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char lf_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::size_t lf_skipBlanks(std::string_view line, std::size_t at)
{
    while (at < line.size() && lf_isBlank(line[at]))
        ++at;
    return at;
}

bool lf_isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool lf_isLineBreak(char c) { return c == '\n' || c == '\r'; }

bool lf_equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lf_upper(x) == lf_upper(y);
           });
}

// `key` at `at`, letter case ignored; the position behind it, or npos.
std::size_t lf_skipKey(std::string_view line, std::size_t at, std::string_view key)
{
    return lf_equalsIgnoringCase(line.substr(at, key.size()), key) ? at + key.size() : std::string_view::npos;
}

// Takes `word` (letter case ignored) or one separator off the end of the text.
bool lf_takeWord(std::string_view& text, std::string_view word)
{
    if (text.size() < word.size() || !lf_equalsIgnoringCase(text.substr(text.size() - word.size()), word))
        return false;
    text.remove_suffix(word.size());
    return true;
}
bool lf_takeSeparator(std::string_view& text)
{
    if (text.empty() || (text.back() != '\\' && text.back() != '/'))
        return false;
    text.remove_suffix(1);
    return true;
}

bool lf_acceptNonEmpty(std::string_view line, std::string_view key, std::string& output)
{
    std::string value = gf_unquote(gf_matchValue(line, key));
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

// What the whole-line pattern \s*(key)\s*=\s*(.*\S)\s* (letter case ignored) gives as its second
// group, where "." is no line break.
std::string_view gf_matchValue(std::string_view line, std::string_view key)
{
    std::size_t at = lf_skipKey(line, lf_skipBlanks(line, 0), key);
    if (at == std::string_view::npos)
        return {};
    at = lf_skipBlanks(line, at);
    if (at == line.size() || line[at] != '=')
        return {};
    const std::size_t begin = lf_skipBlanks(line, at + 1);
    std::size_t end = line.size();
    while (end > begin && lf_isBlank(line[end - 1]))
        --end;
    const std::string_view value = line.substr(begin, end - begin);
    return std::any_of(value.begin(), value.end(), lf_isLineBreak) ? std::string_view() : value;
}

std::string gf_getFltsimNumber(std::string_view line)
{
    if (line.size() >= 2 && line.starts_with("//"))
        return {};
    // the whole line as \s*(\[fltsim\.)(\d+)\]\s* in any letter case
    const std::size_t begin = lf_skipKey(line, lf_skipBlanks(line, 0), "[fltsim.");
    if (begin != std::string_view::npos) {
        std::size_t end = begin;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end > begin && end < line.size() && line[end] == ']' && lf_skipBlanks(line, end + 1) == line.size())
            return std::string(line.substr(begin, end - begin));
    }
    if (line.find("[fltsim.") != std::string_view::npos || line.find("[FLTSIM.") != std::string_view::npos)
        return "10000";
    return {};
}

bool gf_getTitle(std::string_view line, std::string& title) { return lf_acceptNonEmpty(line, "title", title); }

bool gf_getTexture(std::string_view line, std::string& texture) { return lf_acceptNonEmpty(line, "texture", texture); }

bool gf_getAtcParkingTypes(std::string_view line, std::string& types)
{
    return lf_acceptNonEmpty(line, "atc_parking_types", types);
}

bool gf_getAtcId(std::string_view line, std::string& atcId)
{
    std::string value = gf_unquote(gf_matchValue(line, "atc_id"));
    if (value.size() < 5)
        return false;
    atcId = std::move(value);
    return true;
}

bool gf_getIcaoAirline(std::string_view line, std::string& airline)
{
    const std::string_view raw = gf_matchValue(line, "icao_airline");
    if (raw.empty())
        return false;
    const std::string value = gf_unquote(raw);
    airline = (value.empty() || value == "ZZZZ") ? std::string("ZZZ") : gf_toUpper(value);
    return true;
}

std::string gf_getIcaoTypeDesignator(std::string_view line)
{
    std::string value = gf_unquote(gf_matchValue(line, "icao_type_designator"));
    if (value.size() > 4)
        value.resize(4);
    return gf_toUpper(value);
}

std::string gf_getBaseContainerType(std::string_view line)
{
    const std::string value = gf_unquote(gf_matchValue(line, "base_container"));
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

// The group of .+\\IVAO_MTL\\SimObjects\\Airplanes\\IVAO_(\w+)\\aircraft.cfg$ read from the end.
std::string_view gf_ivaoModelFolder(std::string_view path)
{
    std::string_view rest = path;
    if (!lf_takeWord(rest, "cfg") || rest.empty() || lf_isLineBreak(rest.back()))
        return {};
    rest.remove_suffix(1);
    if (!lf_takeWord(rest, "aircraft") || !lf_takeSeparator(rest))
        return {};
    const std::size_t separator = rest.find_last_of("\\/");
    const std::string_view folder = separator == std::string_view::npos ? rest : rest.substr(separator + 1);
    const std::string_view name = folder.substr(std::min<std::size_t>(folder.size(), 5));
    if (!lf_equalsIgnoringCase(folder.substr(0, 5), "IVAO_") || name.empty() ||
        !std::all_of(name.begin(), name.end(), lf_isWordChar))
        return {};
    rest.remove_suffix(folder.size());
    if (!lf_takeSeparator(rest) || !lf_takeWord(rest, "Airplanes") || !lf_takeSeparator(rest) ||
        !lf_takeWord(rest, "SimObjects") || !lf_takeSeparator(rest) ||
        !(lf_takeWord(rest, "IVAO_MTL") || lf_takeWord(rest, "ivao_x-csl")) || !lf_takeSeparator(rest))
        return {};
    // something, on one line, comes before
    if (rest.empty() || std::any_of(rest.begin(), rest.end(), lf_isLineBreak))
        return {};
    return name;
}

// The group of a whole-title match of the prefix followed by \s*(\w\w\w).*$ (letter case ignored).
std::string_view gf_ivaoTitleAirline(std::string_view title, std::string_view modelPrefix)
{
    if (title.size() < modelPrefix.size() || !lf_equalsIgnoringCase(title.substr(0, modelPrefix.size()), modelPrefix))
        return {};
    const std::size_t at = lf_skipBlanks(title, modelPrefix.size());
    const std::string_view airline = title.substr(at, 3);
    if (airline.size() < 3 || !std::all_of(airline.begin(), airline.end(), lf_isWordChar) ||
        std::any_of(title.begin() + static_cast<std::ptrdiff_t>(at), title.end(), lf_isLineBreak))
        return {};
    return airline;
}
