#include "traffic/live_ac.h"

#include "foundation/log.h"
#include "traffic/ac_descriptions.h"

#include <fmt/format.h>
#include <utility>

LiveAc::LiveAc(const FeedSample& first, AcBase base, double recordTime) : AcRecord(std::move(base))
{
    lastSampleTime = recordTime;
    samples.push_back(first);
}

void gf_logAcFailure(const char* routine, const char* what, const LiveAc& ac)
{
    gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", routine, what, gf_describeAc(ac), ac.samples.size(),
                       gf_flightStateName(ac.flightState), gf_acStateName(ac.acState)));
}
