#include "airports/airport.h"

#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fmt/format.h>
#include <pugixml.hpp>
#include <stdexcept>

std::vector<Airport> g_airports;
std::unordered_map<std::string, std::string> g_airportNames;

namespace {

constexpr std::size_t lf_airportsReserve = 44000;
const fs::path g_airportNamesFileName = "airports_msfs_names.xml";

std::atomic<bool> g_airportsLoaded{false};

// A decimal number by the rules of std::stod, with its messages.
double lf_stod(const char* text)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text)
        throw std::invalid_argument("invalid stod argument");
    if (errno == ERANGE)
        throw std::out_of_range("stod argument out of range");
    return value;
}

void lf_addAirport(const pugi::xml_node& element, const std::string& code)
{
    const pugi::xml_attribute lat = element.attribute("lat");
    const pugi::xml_attribute lon = element.attribute("lon");
    const pugi::xml_attribute alt = element.attribute("alt");
    if (!lat || !lon || !alt) {
        gf_log(fmt::format("Missing lat/lon/alt for airport '{}'", code));
        return;
    }
    try {
        Airport airport{code, element.attribute("iata").as_string(), lf_stod(lat.value()), lf_stod(lon.value()),
                        lf_stod(alt.value())};
        // "nan", "inf" and positions off the globe parse, but no airport lies there
        if (!std::isfinite(airport.alt) || !(std::abs(airport.lat) <= 90.0) || !(std::abs(airport.lon) <= 180.0))
            throw std::out_of_range("position out of range");
        g_airports.push_back(std::move(airport));
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error parsing coordinates for airport '{}': {}", code, e.what()));
    }
}

std::string lf_upper(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    return upper;
}

} // namespace

bool gf_readAirports(const std::filesystem::path& fileName)
{
    if (g_airportsLoaded)
        return !g_airports.empty();
    try {
        if (g_airports.capacity() < lf_airportsReserve)
            g_airports.reserve(lf_airportsReserve);
        const fs::path path = g_inputFolder / fileName;
        pugi::xml_document doc;
        const pugi::xml_parse_result result = doc.load_file(path.c_str());
        if (!result)
            throw std::runtime_error(gf_pathToUtf8(path) + " not loaded: " + result.description());
        const pugi::xml_node airports = doc.child("airports");
        if (!airports)
            throw std::runtime_error("Missing <airports> root in: " + gf_pathToUtf8(path));
        for (const pugi::xml_node& airport : airports.children("airport"))
            lf_addAirport(airport, airport.attribute("code").as_string());
        std::stable_sort(g_airports.begin(), g_airports.end(),
                         [](const Airport& a, const Airport& b) { return a.code < b.code; });
        gf_log(fmt::format("{} airports read from '{}'", g_airports.size(), gf_pathToUtf8(path)));
        g_airports.shrink_to_fit();
        g_airportsLoaded = true;
        return !g_airports.empty();
    } catch (const std::exception& e) {
        throw brv::UserErrorException(88, e.what());
    }
}

void gf_readAirportNames()
{
    const fs::path path = g_inputFolder / g_airportNamesFileName;
    try {
        g_airportNames.clear();
        pugi::xml_document doc;
        if (!doc.load_file(path.c_str())) {
            gf_logError(fmt::format("Failed to load airport names from '{}'", gf_pathToUtf8(path)));
            return;
        }
        if (const pugi::xml_node names = doc.child("AirportNames")) {
            for (const pugi::xml_node& airport : names.children("airport")) {
                const pugi::xml_attribute icao = airport.attribute("ICAO");
                const pugi::xml_attribute name = airport.attribute("name");
                if (!icao || !name)
                    gf_log("Skipped airport entry with missing ICAO or name");
                else
                    g_airportNames.try_emplace(icao.value(), name.value());
            }
        } else {
            gf_logError("No AirportNames node found.");
        }
        gf_log(fmt::format("{} airport names read from '{}'", g_airportNames.size(), gf_pathToUtf8(path)));
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "gf_readAirportNames", e.what()));
    }
}

std::string gf_formatAirport(const Airport& airport)
{
    const std::string code = airport.code.empty() ? "?" : airport.code;
    return airport.iata.empty() ? code : fmt::format("{} ({})", code, airport.iata);
}

std::string gf_airportCodeFromName(std::string_view text)
{
    const std::string first = lf_upper(text.substr(0, 4));
    for (const Airport& airport : g_airports)
        if (!airport.code.empty() && first.starts_with(airport.code))
            return airport.code;
    return {};
}

bool gf_nameHasCodeTag(std::string_view text, std::string_view code)
{
    if (code.empty())
        return false;
    std::string tag = fmt::format("-{}-", code);
    if (text.find(tag) != std::string_view::npos)
        return true;
    std::transform(tag.begin(), tag.end(), tag.begin(), [](unsigned char c) { return std::tolower(c); });
    return text.find(tag) != std::string_view::npos;
}

const Airport* gf_findAirport(std::string_view code)
{
    if (code.empty())
        return nullptr;
    const auto it =
        std::find_if(g_airports.begin(), g_airports.end(), [code](const Airport& a) { return a.code == code; });
    return it == g_airports.end() ? nullptr : &*it;
}

std::optional<LatLon> gf_findAirportPosition(std::string_view code)
{
    if (const Airport* airport = gf_findAirport(code))
        return LatLon{airport->lat, airport->lon};
    return std::nullopt;
}

bool gf_parsePrefixedNumber(PrefixedNumber& context, std::string_view entry)
{
    if (!entry.starts_with(context.prefix))
        return false;
    const std::string_view digits = entry.size() > 4 ? entry.substr(4) : std::string_view();
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), context.number);
    if (ec != std::errc())
        gf_logError(fmt::format("{} {} {} {}", context.name, context.prefix, entry, "invalid number"));
    return true;
}

void gf_resetAirportList()
{
    g_airports.clear();
    g_airportNames.clear();
    g_airportsLoaded = false;
}
