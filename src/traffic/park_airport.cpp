#include "traffic/park_airport.h"

#include <mutex>
#include <utility>

namespace {

std::mutex g_parkAirportMutex;
ParkAirportRef g_parkAirport;

} // namespace

ParkAirportRef gf_parkAirportRef()
{
    std::lock_guard lock(g_parkAirportMutex);
    return g_parkAirport;
}

void gf_setParkAirportRef(ParkAirportRef airport)
{
    std::lock_guard lock(g_parkAirportMutex);
    g_parkAirport = std::move(airport);
}

void gf_clearParkAirport() { gf_setParkAirportRef(ParkAirportRef{}); }

double gf_parkAirportElevationFt()
{
    std::lock_guard lock(g_parkAirportMutex);
    if (g_parkAirport.code.empty() || !g_parkAirport.elevationFt)
        return -1000.0;
    return *g_parkAirport.elevationFt;
}
