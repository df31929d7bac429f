#include "traffic/followed_object.h"

#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"

std::atomic<std::uint32_t> g_followedObjectId{0};
HookSet<std::function<void()>> g_followedObjectGoneHook;

namespace {

// True when the aircraft was the followed one, which is then forgotten.
bool lf_forget(const AcRecord& ac)
{
    if (!ac.isLive() || ac.objectId == 0 || ac.objectId != g_followedObjectId)
        return false;
    g_followedObjectId = 0;
    if (const auto gone = g_followedObjectGoneHook.get())
        gone();
    return true;
}

} // namespace

void gf_forgetFollowedOnRemoval(const AcRecord& ac)
{
    if (!lf_forget(ac) || CALLSIGN_2_OBJECTID.value.empty())
        return;
    CALLSIGN_2_OBJECTID.value.set({});
    gf_saveStringParameter(CALLSIGN_2_OBJECTID);
    gf_showStringParameter(CALLSIGN_2_OBJECTID);
}

void gf_forgetFollowedOnRespawn(const AcRecord& ac)
{
    if (!lf_forget(ac))
        return;
    CALLSIGN_2_OBJECTID.value.set(ac.callsign);
    gf_showStringParameter(CALLSIGN_2_OBJECTID);
}
