#include "traffic/park_airport.h"

#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "traffic/park_airport_hooks.h"
#include "traffic/learned_writer.h"
#include "traffic/parked_counts.h"
#include "traffic/static_plan.h"

#include <fmt/format.h>
#include <mutex>
#include <optional>

namespace {

// The elevation of the park airport's parking file; under g_parkDataMutex.
std::optional<double> g_parkElevationFt;

void lf_enable(const UiControl& control, bool enabled)
{
    if (const ParkLoadHooks hooks = g_parkLoadHooks.get(); hooks.enableControl)
        hooks.enableControl(control, enabled);
}

} // namespace

ParkAirportRef gf_parkAirportRef()
{
    std::lock_guard lock(g_parkDataMutex);
    if (parkAirport.code.empty())
        return {};
    return ParkAirportRef{parkAirport.code, LatLon{parkAirport.lat, parkAirport.lon}, g_parkElevationFt};
}

void gf_setParkAirportElevation(double feet)
{
    std::lock_guard lock(g_parkDataMutex);
    g_parkElevationFt = feet;
}

double gf_parkAirportElevationFt()
{
    std::lock_guard lock(g_parkDataMutex);
    if (parkAirport.code.empty() || !g_parkElevationFt)
        return -1000.0;
    return *g_parkElevationFt;
}

bool gf_setParkAirport(const std::string& code)
{
    const Airport* airport = gf_findAirport(code);
    if (airport == nullptr)
        return false;
    {
        std::lock_guard lock(g_parkDataMutex);
        parkAirport = *airport;
        g_parkElevationFt.reset();
    }
    const std::string text = gf_formatAirport(*airport);
    gf_log(fmt::format("\nThe park airport is {}", text));
    gf_showParkAirportHook(text);
    return true;
}

void gf_clearParkAirport()
{
    if (g_parkAirportLoaded && (g_apfParamsChanged || g_learnedUpdates > 0)) {
        gf_writeLearnedApf();
        g_learnedUpdates = 0;
    }
    g_parkHandmade = false;
    g_parkAirportLoaded = false;
    g_rtTrafficWeek = 0;
    lf_enable(parking_percentage, false);
    lf_enable(g_flushStaticButton, false);
    g_staticRemovals.clear();
    g_staticPlan.clear();
    gf_cancelStaticCalculation();
    gf_forgetKeptOut();
    {
        std::lock_guard lock(g_parkDataMutex);
        parkAirport = Airport{};
        g_parkElevationFt.reset();
        gf_replaceParkStands({});
    }
    g_parkFileDisplay = ParkFileDisplay{};
    gf_showParkFileDisplay();
    gf_showParkAirportHook({});
}
