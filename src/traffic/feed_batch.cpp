// The feed's answers reach the tick: due ticks relative to the median record time, reports dated
// far ahead dropped, the start-up snapshots applied at once and the loop's answers handed over on
// the feed stack.
#include "traffic/feed_intake.h"

#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/traffic_containers.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>

namespace {

// The most a report may lie after the rest of its answer and after the earlier answers.
constexpr double g_maxReportLeadSeconds = 600.0;
// How far two lone answers' report times may stray from the time between the answers.
constexpr double g_loneAgreementSeconds = 30.0;
// How far from the system clock less the shift a lone answer that agrees may lie: a PC clock set
// to local time is off by 14 hours at the most.
constexpr double g_loneAgreementReachSeconds = 86400.0;
// A record time the program's clock can take: whole seconds of it fit 64 bits.
constexpr double g_maxClockSeconds = 9.2e18;

// The newest record time let through in this run, and when (steady seconds): the feed time
// an answer may not run far ahead of. Traffic Reader thread; reset between runs.
struct LatestFeedTime {
    double time = 0.0;
    double at = 0.0;
};
std::mutex g_latestKeptMutex;
LatestFeedTime g_latestKept;
// The report time of the last lone answer while no time was kept, and when it came.
std::optional<LatestFeedTime> g_lastLone;
// The time shift of the answers both were taken from: they are of another time once an answer
// of another shift comes.
std::int32_t g_keptUnderShift = 0;

// Nothing kept to judge the answers against (the mutex held).
void lf_forgetKept()
{
    g_latestKept = {};
    g_lastLone.reset();
}

double lf_steadySeconds()
{
    return std::chrono::duration<double>(platform::clock().steadyNow().time_since_epoch()).count();
}

// True when the time lies within `seconds` of the system clock less the time shift.
bool lf_nearShiftedClock(double time, double seconds)
{
    const auto shifted = gf_wallClockSeconds() - std::int64_t{g_timeOffset.load()} * 60;
    return std::fabs(time - static_cast<double>(shifted)) <= seconds;
}

// A lone report with nothing before it could be now when it lies within 600 s of the system clock
// less the time shift: one years ahead would disarm the far-ahead check, one years behind would
// turn every later lone report into one far ahead.
bool lf_couldBeNow(double time) { return lf_nearShiftedClock(time, g_maxReportLeadSeconds); }

// A lone report with nothing before it whose time moved on from the last lone answer's as the
// steady clock did (within 30 s) is now, when it lies within a day of the system clock less the
// shift: a region of one aircraft under a PC clock that is set wrong. Two bogus answers that
// agree, years ahead, set nothing. Takes the report as the last lone answer.
bool lf_agreesWithLastLone(double time, double now)
{
    const bool agrees = g_lastLone &&
                        std::fabs((time - g_lastLone->time) - (now - g_lastLone->at)) <= g_loneAgreementSeconds &&
                        lf_nearShiftedClock(time, g_loneAgreementReachSeconds);
    g_lastLone = LatestFeedTime{time, now};
    return agrees;
}

// A report dated far beyond its answer cannot be real: it would hold its aircraft back until
// that time and make every true report of it look older. It is judged against the median of
// the other records (that of the whole answer is the record itself in an answer of one or two)
// and the newest earlier feed time, aged by the time since, so that a feed back after a long
// silence is taken; a lone record with nothing before it is taken. False when the reports kept
// may not become the feed time: a lone record with nothing before it that cannot be now and does
// not agree with the lone answer before it within a day of the clock, which would otherwise
// disarm this check and move the shifted clock. An answer of another time shift (`shift`, the one
// it was asked under) than the answers kept before forgets them.
bool lf_dropReportsFarAhead(std::vector<FeedRecord>& batch, const std::vector<double>& sorted, std::int32_t shift)
{
    const double now = lf_steadySeconds();
    std::lock_guard lock(g_latestKeptMutex);
    if (shift != g_keptUnderShift) {
        lf_forgetKept();
        g_keptUnderShift = shift;
    }
    const double earlier = g_latestKept.time > 0.0 ? g_latestKept.time + (now - g_latestKept.at) : 0.0;
    const auto lt_farAhead = [&](double time) {
        double reference = earlier;
        if (sorted.size() > 1) {
            // leave out the last record of this time: the others' median lies on one side of it
            const auto after = std::upper_bound(sorted.begin(), sorted.end(), time) - sorted.begin();
            const auto median = static_cast<std::ptrdiff_t>(sorted.size() - 1) / 2;
            reference = std::max(reference, sorted[static_cast<std::size_t>(after - 1 > median ? median : median + 1)]);
        } else if (!(reference > 0.0)) {
            return false;
        }
        return time - reference > g_maxReportLeadSeconds;
    };
    std::erase_if(batch, [&](const FeedRecord& r) { return lt_farAhead(r.recordTime); });
    if (sorted.size() == 1 && !(earlier > 0.0) && !lf_agreesWithLastLone(sorted.front(), now) &&
        !lf_couldBeNow(sorted.front()))
        return false;
    for (const FeedRecord& r : batch)
        if (std::isfinite(r.recordTime) && r.recordTime > g_latestKept.time)
            g_latestKept = {r.recordTime, now};
    return true;
}

// The feed time (the program's clock under a time shift) is the newest report kept; an answer
// whose every report was dropped leaves it as it was.
void lf_takeFeedTime(const std::vector<FeedRecord>& batch)
{
    double latest = 0.0;
    for (const FeedRecord& r : batch)
        if (std::isfinite(r.recordTime) && r.recordTime > latest && r.recordTime < g_maxClockSeconds)
            latest = r.recordTime;
    if (latest > 0.0)
        g_latestFeedTime = latest;
}

} // namespace

void gf_resetLatestFeedTime()
{
    std::lock_guard lock(g_latestKeptMutex);
    lf_forgetKept();
}

std::uint32_t gf_dueTick(double recordTime, double medianTime, std::int64_t base)
{
    double k = std::trunc((recordTime - medianTime) * -10.0);
    if (!std::isfinite(k))
        k = 0.0;
    k = std::clamp(k, -1e12, 1e12);
    return gf_clampTick(base - 10 * static_cast<std::int64_t>(k));
}

void gf_intakeFeedBatch(std::vector<FeedRecord>& batch, std::uint32_t offsetSeconds, std::int32_t askedUnderShift)
{
    if (batch.empty()) {
        g_latestFeedTime = 0.0;
        return;
    }
    std::vector<double> times;
    times.reserve(batch.size());
    for (const FeedRecord& r : batch)
        times.push_back(r.recordTime);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const std::int64_t base = static_cast<std::int64_t>(offsetSeconds) * 100 + gf_tickNow();
    if (lf_dropReportsFarAhead(batch, times, askedUnderShift))
        lf_takeFeedTime(batch);
    for (FeedRecord& r : batch)
        r.sample.dueTick = gf_dueTick(r.recordTime, median, base);
    if (offsetSeconds != 30) {
        for (const FeedRecord& r : batch)
            gf_applyFeedRecord(r);
    } else {
        // the shift looked at under the lock that a change's clearing of the stack takes: a batch of
        // the shift before, put there after the clearing, would make the old time's aircraft again
        std::lock_guard lock(g_flagsMutex);
        if (g_running && g_feedStack.empty() && askedUnderShift == g_timeOffset.load())
            g_feedStack = std::move(batch);
    }
    batch.clear();
}
