#include "traffic/live_ac.h"

#include <utility>

LiveAc::LiveAc(const FeedSample& first, AcBase base, double recordTime) : AcRecord(std::move(base))
{
    lastSampleTime = recordTime;
    samples.push_back(first);
}
