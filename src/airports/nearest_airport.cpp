#include "airports/nearest_airport.h"

#include "airports/apf_download.h"
#include "airports/apf_file.h"
#include "airports/apf_locations.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <fmt/format.h>

namespace {

constexpr double lf_airportReachNm = 5.0;
constexpr double lf_noStandNm = 100.0;
const fs::path g_downloadedApfPath = "airport.xml";

double lf_closestStand(const fs::path& path, const LatLon& position, std::string& standName)
{
    Apf doc;
    if (!doc.load_file(path.c_str()))
        return lf_noStandNm;
    double best = lf_noStandNm;
    for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos")) {
        const double d = gf_distanceNm(position, LatLon{parkpos.attribute("latitude").as_double(),
                                                        parkpos.attribute("longitude").as_double()});
        if (d < best) {
            best = d;
            standName = parkpos.attribute("id").as_string();
        }
    }
    return best;
}

} // namespace

std::optional<Airport> gf_findClosestAirport(const LatLon& position)
{
    const Airport* best = nullptr;
    const Airport* neighbour = nullptr;
    double bestDistance = lf_noStandNm;
    for (const Airport& airport : g_airports) {
        const double d = gf_distanceNm(position, LatLon{airport.lat, airport.lon});
        if (d <= lf_airportReachNm && d < bestDistance) {
            neighbour = best;
            best = &airport;
            bestDistance = d;
        }
    }
    if (best == nullptr)
        return std::nullopt;
    if (neighbour == nullptr)
        return *best;
    gf_log(fmt::format("Airport {} is closest, neighbour is {}", best->code, neighbour->code));
    std::string bestStand;
    std::string neighbourStand;
    const double dBest = gf_readDestApfForClosestStand(*best, position, bestStand);
    const double dNeighbour = gf_readDestApfForClosestStand(*neighbour, position, neighbourStand);
    if (dNeighbour >= dBest)
        return *best;
    gf_log(fmt::format("Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} meters ...",
                       best->code, neighbourStand, neighbour->code, dNeighbour * 1852.0));
    return *neighbour;
}

double gf_readDestApfForClosestStand(const Airport& airport, const LatLon& position, std::string& standName)
{
    try {
        const std::string reference = gf_findApfReference(airport.code);
        if (reference.empty())
            return lf_noStandNm;
        if (reference.starts_with(g_airportsFolder.generic_string()))
            return lf_closestStand(gf_pathFromUtf8(reference), position, standName);
        TemporaryDownload file(g_downloadedApfPath);
        if (!gf_downloadApf(reference, file.path()).empty())
            return lf_noStandNm;
        const double best = lf_closestStand(file.path(), position, standName);
        file.remove();
        return best;
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "gf_readDestApfForClosestStand", e.what()));
        return lf_noStandNm;
    }
}
