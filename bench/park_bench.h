#pragma once
// The set-up shared by the benchmarks of the traffic manager at a park airport: a generated
// airport with full option tables, the parked traffic of the service at hand for the clock to
// answer with, a small aircraft database, and the static aircraft that a plan would make.
#include "feed/parked_record.h"
#include "foundation/geometry.h"
#include "platform/clock.h"
#include "traffic/ac_records.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace parkbench {

inline constexpr std::array<const char*, 4> g_airlines{"DLH", "EZY", "BAW", "KLM"};
inline constexpr std::array<const char*, 3> g_types{"A320", "B738", "E190"};
inline constexpr std::int64_t g_wednesday1010 = 1767780600; // Wednesday 7 January 2026, 10:10 UTC: half hour 20

// The manual clock, with the service's parked-traffic answer at hand.
class ServiceClock : public platform::ManualClock {
public:
    using ManualClock::ManualClock;
    std::vector<ParkedTrafficRecord> answer;
    std::vector<ParkedTrafficRecord> copy; // made outside the timing: the reader thread's work
    // The Traffic Reader's part: the request waiting, if any, gets the answer (the copy when made).
    void serve();
};
ServiceClock& gf_serviceClock();
// The parked traffic asked for, answered and taken as the passes do it, all at once (set-up).
void gf_receiveParkedTrafficNow();

// Stand i of the generated airport: rows of 20 stands 50 m apart, the rows 150 m apart, from 50 N 8 E.
LatLon gf_standAt(int i);
// The park airport EDXX with `stands` stands of 20 m radius and 28 options each (every day four,
// of six half hours). With `touching`, each stand is the neighbour of the next in its row.
void gf_buildAirport(int stands, bool touching);
// `count` parked aircraft of the service on the first `onStands` even stands, seen up to 23 half
// hours ago.
void gf_buildParkedTraffic(int count, int onStands);
// Once per process: the clock installed, the containers reserved, the database and one livery
// each of A320, B738 and E190 of four airlines, no simulator; then the benchmark's own `more`.
void gf_setUpTraffic(const std::function<void()>& more);
// The clock at this UTC time, and the time slot with it.
void gf_at(std::int64_t seconds);
// The static aircraft of the plan, standing as the placement would leave them.
std::vector<StaticAc> gf_staticsOfPlan();

} // namespace parkbench
