#include "traffic/traffic_hooks.h"

#include "aircraft/livery_match_hooks.h"
#include "airports/park_apf.h"
#include "feed/feed_hooks.h"
#include "traffic/ac_descriptions.h"
#include "traffic/feed_intake.h"
#include "traffic/identity_rules.h"
#include "traffic/park_airport.h"
#include "traffic/stand_option_learning.h"

namespace {

// Every aircraft the program hands to the livery matching is the base of an AcBase.
const AcBase& lf_acBase(const LiveryMatchAc& ac) { return static_cast<const AcBase&>(ac); }

} // namespace

void gf_installTrafficHooks()
{
    gf_queueFeedBatch.install(gf_intakeFeedBatch);
    gf_parkAirport.install(gf_parkAirportRef);
    gf_reservedStand.install([] { return g_reservedStand.get(); });
    gf_sizeClassEnabledHook.install(gf_isSizeClassEnabled);
    gf_installStandLearning();
    LiveryMatchHooks hooks;
    hooks.describeAc = [](const LiveryMatchAc& ac) { return gf_describeAc(lf_acBase(ac)); };
    hooks.describeAcLong = [](const LiveryMatchAc& ac) { return gf_describeAcLong(lf_acBase(ac)); };
    hooks.isRefusedLivery = gf_isRefusedTitle;
    hooks.getRefusedLiveries = gf_getRefusedLiveries;
    gf_installLiveryMatchHooks(std::move(hooks));
}
