// The automatic range: RANGE chosen from where the user flies, small on the ground and near the
// first park airport (the destination or the nearest), large at cruise height.
#include "app/startup_jobs.h"

#include "airports/park_airports.h"
#include "feed/query_box.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/range.h"
#include "simlink/user_aircraft.h"
#include "traffic/user_snapshot.h"

#include <cmath>
#include <cstdint>
#include <gsl/narrow>
#include <mutex>

namespace {

std::int32_t lf_autoRange()
{
    if (g_userOnGround)
        return 10;
    const UserAcData user = gf_copyUserSnapshot();
    if (user.altitude > AR_ABOVE_HEIGHT.value)
        return 100;
    if (user.altitude > AIRP_HEIGHT.value)
        return 40;
    double d = 10000.0; // no park airport
    {
        std::lock_guard lock(g_parkDataMutex);
        if (!g_myParkAirports.empty()) {
            const MyParkAirport& first = g_myParkAirports.front();
            d = gf_distanceNm(LatLon{user.latitude, user.longitude}, LatLon{first.latitude, first.longitude});
        }
    }
    if (d <= 7.0)
        return 10;
    if (d < 37.0)
        return gf_snapRange(gsl::narrow<std::int32_t>(std::round(d)) + 3);
    return 40;
}

} // namespace

void gf_setAutoRange()
{
    const std::int32_t before = RANGE.value;
    gf_setRange(lf_autoRange());
    if (RANGE.value == before)
        return;
    gf_showIntParameter(RANGE);
    gf_updateQueryBox();
}
