#include "airports/park_data.h"

#include "airports/park_airport_list.h"
#include "simlink/user_aircraft.h"

#include <cmath>
#include <optional>
#include <utility>

std::recursive_mutex g_parkDataMutex;
std::vector<Stand> g_parkStands;
Airport parkAirport;
bool g_parkHandmade = false;
std::atomic<bool> g_parkAirportLoaded{false};

namespace {

constexpr double lf_nearestStandNm = 0.029697624; // 55 m
constexpr double lf_samePositionDeg = 1e-8;
constexpr double lf_standingStillKt = 2.0;

// The last position asked for and its answer, under g_parkDataMutex.
struct NearestAnswer {
    LatLon position;
    std::string name;
};
std::optional<NearestAnswer> g_nearestAnswer;

// Under g_parkDataMutex.
std::string lf_nearestStandName(const LatLon& position)
{
    if (g_parkStands.empty() || !g_userOnGround)
        return {};
    if (g_nearestAnswer && std::abs(g_nearestAnswer->position.lat - position.lat) < lf_samePositionDeg &&
        std::abs(g_nearestAnswer->position.lon - position.lon) < lf_samePositionDeg)
        return g_nearestAnswer->name;
    double best = lf_nearestStandNm;
    std::string name;
    for (const Stand& stand : g_parkStands) {
        const double d = gf_distanceNm(position, LatLon{stand.latitude, stand.longitude});
        if (d <= best) {
            best = d;
            name = stand.name;
        }
    }
    g_nearestAnswer = NearestAnswer{position, name};
    return name;
}

} // namespace

void gf_replaceParkStands(std::vector<Stand> stands)
{
    std::vector<Stand> old;
    {
        std::lock_guard lock(g_parkDataMutex);
        old.swap(g_parkStands);
        g_parkStands = std::move(stands);
        g_nearestAnswer.reset();
    }
}

std::string gf_getNearestStandName(const LatLon& position)
{
    std::lock_guard lock(g_parkDataMutex);
    return lf_nearestStandName(position);
}

void gf_rememberUserStand(const UserAcData& user)
{
    if (!g_userOnGroundKnown || !(user.groundVelocity <= lf_standingStillKt))
        return;
    MyParkAirport entry;
    {
        std::lock_guard lock(g_parkDataMutex);
        const std::string name = lf_nearestStandName(LatLon{user.latitude, user.longitude});
        if (name.empty() || g_myParkAirports.empty() || parkAirport.code.empty())
            return;
        MyParkAirport& first = g_myParkAirports.front();
        if (first.code != parkAirport.code || first.stand == name)
            return;
        first.stand = name;
        entry = first;
    }
    // written after the lock is given back: the tick must never wait for a file
    gf_writeMyParkAirportEntry(entry);
}

bool gf_parkAirportSet()
{
    std::lock_guard lock(g_parkDataMutex);
    return !parkAirport.code.empty();
}

std::size_t gf_parkStandCount()
{
    std::lock_guard lock(g_parkDataMutex);
    return g_parkStands.size();
}

void gf_resetParkData()
{
    std::lock_guard lock(g_parkDataMutex);
    g_parkStands.clear();
    parkAirport = Airport{};
    g_parkHandmade = false;
    g_parkAirportLoaded = false;
    g_nearestAnswer.reset();
    g_myParkAirports.clear();
}
