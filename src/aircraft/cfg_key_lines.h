#pragma once
// The key lines of an aircraft.cfg: "key = value" with blanks allowed around the key, the "=" and
// the value, the key in any letter case; the value runs from the first non-blank after "=" to the
// last non-blank and is unquoted. Read by hand in one pass, so a line of any length costs its
// length. Also the IVAO packages' model folder and title airline, read the same way. Safe from any
// thread.
#include <string>
#include <string_view>

// The value of a key line of `key` (lower case), or empty: a line of another key, without "=",
// without a value, or whose value holds a line break ('\n' or '\r') is none. A view into `line`.
std::string_view gf_matchValue(std::string_view line, std::string_view key);

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

// The IVAO model folder of a path ".../IVAO_MTL/SimObjects/Airplanes/IVAO_<name>/aircraft.cfg",
// or the same under "ivao_x-csl": <name> (letters, digits, "_"), or empty for any other path.
// Either separator; letter case ignored; the "." of "aircraft.cfg" stands for any character.
std::string_view gf_ivaoModelFolder(std::string_view path);
// The airline of an IVAO title: the three letters, digits or "_" that follow `modelPrefix` (letter
// case ignored) and any blanks at the start of the title; empty when the title has another form.
std::string_view gf_ivaoTitleAirline(std::string_view title, std::string_view modelPrefix);
