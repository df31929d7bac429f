#pragma once
// The airport list (input/airports_msfs.xml, read once per process), the airport names and the
// text by which an airport is shown.
#include "foundation/geometry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct Airport {
    std::string code; // ICAO code
    std::string iata; // may be empty
    double lat = 0.0; // degrees
    double lon = 0.0; // degrees
    double alt = 0.0; // feet
};

// Sorted by code (byte-wise) after the read; never changed afterwards, so any thread may read it
// once gf_readAirports has returned.
extern std::vector<Airport> g_airports;
// ICAO code -> airport name; reloaded by each add-on airport scan before its tasks start.
extern std::unordered_map<std::string, std::string> g_airportNames;

// Reads input/<fileName> once per process; true when the list is not empty. Every failure is
// raised as brv::UserErrorException 88.
bool gf_readAirports(const std::filesystem::path& fileName);
// Reloads g_airportNames from input/airports_msfs_names.xml; logs what fails, never throws.
void gf_readAirportNames();

// "EDDF (FRA)", "EDDF", or "?" for an empty code.
std::string gf_formatAirport(const Airport& airport);
// The first airport of the list whose code begins the text's first four characters, upper-cased;
// empty when none. Airports without a code never match.
std::string gf_airportCodeFromName(std::string_view text);
// The text holds "-CODE-" as written or in lower case; never for an empty code.
bool gf_nameHasCodeTag(std::string_view text, std::string_view code);

// The listed airport with this code; nullptr for an unknown or empty code.
const Airport* gf_findAirport(std::string_view code);
std::optional<LatLon> gf_findAirportPosition(std::string_view code);

// The search of the archive's "archive/thirdparty/" entries: an entry is "CODE" followed by a number.
struct PrefixedNumber {
    std::string name;          // the list searched, for the log
    std::string prefix;        // the code looked for
    std::int32_t number = 0;   // out: the number after the entry's first four characters
};
// False when the entry does not begin with the prefix. Otherwise the number is parsed (an
// invalid one is logged) and the result is true.
bool gf_parsePrefixedNumber(PrefixedNumber& context, std::string_view entry);

// The list, the names and the once-per-process mark back to empty (tests).
void gf_resetAirportList();
