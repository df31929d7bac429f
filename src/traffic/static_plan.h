#pragma once
// The static parking plan: which aircraft goes to which stand of the park airport at this half
// hour of this week day, from the parked traffic of the web service and the stands' own options,
// and the lists with which the half-hourly adjustment compares the standing static aircraft to a
// fresh plan. Control thread only: the calculation, the adjustment and the tick's placement run
// one after the other in its tick loop.
#include "airports/stand.h"
#include "foundation/half_hours.h"
#include "foundation/hook_set.h"
#include "traffic/ac_records.h"
#include "traffic/parked_counts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One planned static aircraft.
struct StaticPlanEntry {
    std::uint32_t hexId = 0;       // the real aircraft it stands for; 0 for a stand option
    std::uint32_t noRealHexid = 0; // 1: made from a stand option
    std::uint32_t standId = 0;
    std::int32_t age = 0; // half hours: since the parked aircraft was seen, or the option's fit offset
    std::string airline;
    std::string type;
    std::string callsign;
    std::string secondCallsign; // the option's departure callsign; empty for parked traffic
    std::string registration;
    bool staysNextSlot = true; // still there in the next half hour
};
// The entry placed next is the last one.
extern std::vector<StaticPlanEntry> g_staticPlan;

// The fit offsets (half hours) at which the last real and soft option fits ended; -1: no soft fit.
extern std::int32_t g_lastRealFit;
extern std::int32_t g_lastSoftFit;

// Option-made static aircraft (and parked-traffic ones) that stay through an adjustment.
struct KeptStatic {
    std::string callsign;
    std::string firstCallsign;
    std::string secondCallsign;
    std::string registration;
    std::string airline;
    std::string type;
    WeekPoint parked;
    std::uint32_t standId = 0;
    bool leaving = false; // re-created under its departure callsign
};
extern std::vector<KeptStatic> g_keptStatics;

// The active live aircraft parked on a stand, the shortest parked first (gf_listParkedLiveAc).
extern std::vector<ParkedLive> g_liveParked;

// Static aircraft to be removed by the adjustment under way; queued ones are removingfromsim.
struct StaticRemoval {
    std::string callsign;
    std::uint32_t standId = 0;
    std::uint32_t hexid = 0;
};
extern std::vector<StaticRemoval> g_staticRemovals;

// What the plan shows in the application's main window; a hook not installed is skipped.
struct StaticParkingHooks {
    std::function<void()> beginBusyMode;
    std::function<void()> endBusyMode;
    std::function<void()> clearMeanFits;             // both mean parked times unknown
    std::function<void(bool soft)> showSoftFit;      // static parking from soft options
    std::function<void()> updateParkTrafficControls; // after RT_PARKTRAFFIC_ONLY changed
};
extern HookSet<StaticParkingHooks> g_staticParkingHooks;
void gf_beginBusyModeHook();
void gf_endBusyModeHook();
void gf_showSoftFitHook(bool soft);

// The full calculation: parked traffic first, then stand options up to the wanted count.
void gf_calculateStaticParking();
// The calculation on entering the park airport, spread over the passes without waiting for the
// service: the parked traffic is asked for now; a later pass takes the answer (or, after ten
// seconds, goes on without one) and finds the aircraft's stands, the next pass calculates.
// Meanwhile the busy mode stays on.
void gf_beginStaticCalculation();
// The tick's share, every pass: at most one of taking the parked traffic and calculating.
void gf_continueStaticParking();
// Begun and not calculated yet.
bool gf_staticCalculationPending();
// The calculation under way is dropped (the park airport is left).
void gf_cancelStaticCalculation();
// Asks the service for the parked traffic around the park airport (none with a maximum of 0);
// returns at once (the first phase of a recalculation, and the calculation's first step).
void gf_requestParkedTraffic();
// The answer asked for is not taken yet.
bool gf_parkedTrafficAwaited();
// Once the answer asked for has come (or its ten seconds are over): takes it and finds each
// aircraft's stand; true in the pass that did. Nothing while it is awaited or none was asked for.
bool gf_locateParkedTraffic();
// The parked traffic for a calculation or adjustment at the week point: the answer taken within
// the last minute for this park airport. True when it came; never waits.
bool gf_takeParkedTraffic(WeekPoint now);
void gf_forgetParkedTraffic();
// Plan entries for the parked traffic taken.
void gf_fitParkedTraffic(WeekPoint now);
// Real options, then soft ones while short of `wanted`; `extra` aircraft already stand.
void gf_fitStandOptions(WeekPoint now, std::int32_t wanted, std::int32_t extra);
// The option stands there on the day (on any day with WEEK on).
bool gf_optionDayFits(const StandOption& option, std::uint32_t day);

// Logs the day and half hour; the current week point.
WeekPoint gf_logTimeOfDay();
// The live feed's callsigns and hex ids collected since the last refresh.
void gf_refreshFeedIndex();
// The callsign, or it followed by "_", is in the live feed; an empty one never.
bool gf_callsignInFeed(std::string_view callsign);
bool gf_hexIdInFeed(std::uint32_t hexId);
// The reserved stand and the user aircraft's stand are excluded.
void gf_excludeReservedStands();
// The stand filled and its neighbours blocked.
void gf_fillStand(Stand& stand);
// The static aircraft's callsign as the displayed one of this callsign: trailing "_" dropped,
// then "*" unless it ends in one.
std::string gf_starredCallsign(std::string_view callsign);
// Half hours since the aircraft was parked. Ages, not week indexes, tell older from newer, so
// that Sunday evening stays older than Monday morning.
std::int32_t gf_staticAge(const AcRecord& ac, WeekPoint now);
// An active static aircraft is queued for removal: it is removingfromsim for the steps that
// follow, and leaves the simulator when the queue is applied.
void gf_queueStaticRemoval(StaticAc& ac);
void gf_applyStaticRemovals();

// One plan entry becomes a static aircraft with its create request; the tick's every 50th pass.
void gf_placeNextStaticAc();
// The callsign a plan entry's aircraft shows; empty when it has none.
std::string gf_displayedCallsign(const StaticPlanEntry& entry);

// The serial of the last static hex id (0 at the start).
void gf_setStaticSerial(std::uint32_t serial);
// The plan, its lists, the serial and the feed index back to their start.
void gf_resetStaticParking();
