#include "app/app_hooks.h"

#include "app/control_flags.h"
#include "app/main_window_state.h"
#include "feed/feed_hooks.h"
#include "foundation/time_shift.h"
#include "simlink/user_aircraft.h"
#include "traffic/followed_object.h"
#include "traffic/traffic_hooks.h"
#include "traffic/user_snapshot.h"

void gf_installAppHooks()
{
    gf_installSimLinkHooks();
    gf_installParkLoadHooks();
    gf_installParkAirportHooks();
    gf_installStaticParkingHooks();
    gf_installAirportScanHooks();
    gf_installTrafficHooks();
    gf_feedObjectListHook.install(gf_appendFeedObjectListEntry);
    gf_userSnapshot.install([] {
        const UserAcData user = gf_copyUserSnapshot();
        return UserPosition{user.latitude, user.longitude, user.altitude};
    });
    gf_repaintHeaderArea.install([] { gf_repaint(WindowArea::header); });
    g_followedObjectGoneHook.install([] {
        g_mainWindowState.callsignObjectId.set({});
        gf_repaint(WindowArea::optionsPanel); // where the "Oid:" box stands
    });
    // the aircraft of the old time leave in the control thread's next user-data update
    gf_setTimeShiftTrafficHook([] { g_timeShiftClearRequest = true; });
}
