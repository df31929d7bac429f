#pragma once
// The key lines of an aircraft.cfg: each key is read by one whole-line pattern, compiled once and
// case-insensitive; the value runs from the first non-blank after "=" to the last non-blank and
// is unquoted. Safe from any thread.
#include <cstddef>
#include <regex>
#include <string>
#include <string_view>

// A key line longer than this is no key line (the pattern engine recurses per character).
inline constexpr std::size_t g_maxKeyLineLength = 1024;

// The second group of a whole-line match of the pattern, or empty. Lines that do not start (after
// blanks) with `key` in any letter case are refused without running the pattern.
std::string gf_matchValue(std::string_view line, std::string_view key, const std::regex& pattern);

// The section number of a [fltsim.N] header: the digits; "10000" for a line that only holds
// "[fltsim." or "[FLTSIM."; empty for no header (a "//" comment included).
std::string gf_getFltsimNumber(std::string_view line);

// True when the key was found and accepted; the output is set only then.
bool gf_getTitle(std::string_view line, std::string& title);
bool gf_getTexture(std::string_view line, std::string& texture);
bool gf_getAtcParkingTypes(std::string_view line, std::string& types);
bool gf_getAtcId(std::string_view line, std::string& atcId); // at least 5 characters
// True for every icao_airline line with a value: empty or "ZZZZ" gives "ZZZ", others upper-cased.
bool gf_getIcaoAirline(std::string_view line, std::string& airline);
// The model code (at most 4 characters, upper case), or empty.
std::string gf_getIcaoTypeDesignator(std::string_view line);
// The type of a base_container model after its 3-character relative prefix, or empty.
std::string gf_getBaseContainerType(std::string_view line);

// Case-sensitive presence tests: "atc_id=" and "atc_parking_types" anywhere in the line.
bool gf_hasAtcIdKey(std::string_view line);
bool gf_hasAtcParkingTypesKey(std::string_view line);

std::string gf_toUpper(std::string_view text);
