#include "traffic/park_airport_hooks.h"

HookSet<ParkAirportHooks> g_parkAirportHooks;

bool gf_busyHook()
{
    const ParkAirportHooks hooks = g_parkAirportHooks.get();
    return hooks.busy && hooks.busy();
}

void gf_showParkAirportHook(const std::string& text)
{
    if (const ParkAirportHooks hooks = g_parkAirportHooks.get(); hooks.showParkAirport)
        hooks.showParkAirport(text);
}
