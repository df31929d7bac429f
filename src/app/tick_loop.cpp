#include "app/tick_loop.h"

#include "app/control_flags.h"
#include "app/user_data_update.h"
#include "feed/live_records.h"
#include "feed/query_box.h"
#include "feed/readers.h"
#include "foundation/half_hours.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "platform/clock.h"
#include "platform/timer_period.h"
#include "simlink/sim_state.h"
#include "traffic/run_flags.h"
#include "traffic/traffic_jobs.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"

namespace {

using namespace std::chrono_literals;

// The jobs of one user-data update by its count; the groups exclude each other.
void lf_updateGroups()
{
    const std::int32_t c = g_userDataCount;
    if (c % 15 == 0) {
        gf_updateRtLamps();
        const UserAcData user = gf_copyUserSnapshot();
        gf_setReaderRefPos(LatLon{user.latitude, user.longitude});
        gf_updateQueryBox();
        if (gf_reservedStandNamed())
            gf_freeReservedStand();
        gf_handleRereadRequest();
        if (g_userDataCount % 15 == 0)
            gf_parkingAndRangeJobs();
        return;
    }
    if (c % 16 == 0 && !g_skipParkingRefresh)
        gf_handleParkAirports(false);
    if (c % 61 == 0)
        gf_removeStaticDuplicateOfLiveAc();
    if (CALLSIGN_OBJECTIDS.value && g_msfs2020Mode && c % 62 == 0)
        gf_writeCallsign2ObjectId();
}

} // namespace

void gf_runTickGrid(const std::function<bool()>& pass, std::chrono::nanoseconds period)
{
    platform::Clock& clock = platform::clock();
    platform::SteadyTime deadline = clock.steadyNow() + period;
    while (pass()) {
        platform::SteadyTime now = clock.steadyNow();
        if (deadline - now >= 1ms) {
            while (now < deadline) {
                clock.sleepFor(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
                now = clock.steadyNow();
            }
        }
        if (g_newUserData.load())
            deadline = clock.steadyNow();
        deadline += period;
    }
}

bool gf_tick()
{
    // a lost simulator sends no more updates: the stop is seen on every pass
    if (gf_stopRequested())
        return false;
    if (!g_simRunning || g_simRequestError) {
        gf_flightNotRunning();
        return !gf_stopRequested();
    }
    gf_handleAddingStack();
    bool expected = true;
    if (!g_newUserData.compare_exchange_strong(expected, false))
        return true;
    gf_onUserDataUpdate();
    if (gf_stopRequested())
        return false;
    lf_updateGroups();
    return true;
}

void gf_tickLoop()
{
    gf_handleParkAirports(true);
    gf_updateRtLamps();
    g_userDataCount = 0;
    g_timeSlot = gf_slotAndWeekdayNow();
    gf_setRunning(true);
    EnableWindow(CALLSIGN_2_OBJECTID.hWnd, TRUE);
    const platform::TimerPeriodGuard timerPeriod;
    gf_runTickGrid(gf_tick);
}
