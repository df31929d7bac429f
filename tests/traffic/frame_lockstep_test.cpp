// Motion as the simulator model receives it through the program's own frame send, in lockstep on
// the manual clock: a traffic pass every 10 ms, a frame of the model every 1/frame-rate s, both
// on the test thread. One aircraft's whole road (cruise, descent, landing and roll-out, a curved
// taxi turn, the drive onto a stand and the turn onto its heading, push-back and taxi out) while
// another flies around the field; every frame is judged against what the program handed over.
// Also a turn across north in cruise, and the vertical speed handed over in a climb and a descent.
#include "leg_feed.h"
#include "stand_fixture.h"

#include "aircraft/dbase.h"
#include "airports/park_data.h"
#include "feed/feed_hooks.h"
#include "foundation/shell_state.h"
#include "foundation/time_shift.h"
#include "simconnect/sim_model.h"
#include "simlink/sim_messages.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_registration.h"
#include "simlink/sim_state.h"
#include "support/manual_time.h"
#include "traffic/angles.h"
#include "traffic/park_airport.h"
#include "traffic/run_flags.h"
#include "traffic/sample_helpers.h"
#include "traffic/traffic_containers.h"
#include "traffic/traffic_jobs.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fmt/format.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace traffictest {
namespace {

constexpr double g_passSeconds = 0.01;
constexpr double g_metresPerSecondPerKt = 1852.0 / 3600.0;
constexpr std::int64_t g_epoch = 1700000000; // the legs' feed time 0, and the clock's start

// Per aircraft, what the passes since the last frame allow the model to see at the next one.
struct Allowance {
    int passes = 0;
    bool onGround = false;       // at any of those passes
    double airMetres = 0.0;      // what the handed-over true airspeed covers
    double groundMetres = 0.0;   // what the fastest ground speed of the samples moved between covers
    double climbFt = 0.0;        // what the largest vertical speed of the feed or the profile covers
};

// One aircraft of the program as the frames see it.
struct Followed {
    bool seen = false;         // a frame set its position before
    SimObjectState last;       // as the model held it after that frame
    double fromSpeedKt = 0.0;  // the sample it moves from
    double fromVsFpm = 0.0;
    FeedSample target;         // the sample it moves to
    bool targetKnown = false;
    Allowance since;
};

// The worst figures of a run: the ratios of each move to what the passes allow, and where each
// was reached.
struct Worst {
    double value;
    std::string at;
};
struct Figures {
    int frames = 0;
    int checked = 0;                 // aircraft frames judged for motion
    int missedUpdates = 0;           // active aircraft whose position this frame did not set once
    Worst airLow{1e9, ""};           // move over the true airspeed's cover, in the air
    Worst airHigh{0.0, ""};
    Worst groundSpeed{0.0, ""};      // move over the fastest sample speed's cover, on the ground
    Worst ground{0.0, ""};           // move over (twice that cover + 0.1 m)
    Worst heading{0.0, ""};          // heading change between two frames in the air, degrees
    Worst groundHeading{0.0, ""};    // the same on the ground
    Worst climb{0.0, ""};            // altitude change over (largest vertical speed x time + 1 ft)
    std::vector<std::string> faults; // the first ones seen

    static void keep(Worst& w, double value, bool lower, const std::string& at)
    {
        if (lower ? value < w.value : value > w.value)
            w = {value, at};
    }
    void note(const std::string& what)
    {
        if (faults.size() < 6)
            faults.push_back(what);
    }
    std::string text() const
    {
        return fmt::format("{} frames, {} judged; missed updates {}; air {:.3f} ({}) .. {:.3f} ({}); ground speed "
                           "{:.3f} ({}), of the bound {:.3f} ({}); heading {:.3f} deg ({}), on the ground {:.3f} deg "
                           "({}); altitude {:.3f} ({}); first faults: {}",
                           frames, checked, missedUpdates, airLow.value, airLow.at, airHigh.value, airHigh.at,
                           groundSpeed.value, groundSpeed.at, ground.value, ground.at, heading.value, heading.at,
                           groundHeading.value, groundHeading.at, climb.value, climb.at, fmt::join(faults, " | "));
    }
};

// What the road showed of the arrival: the phases it reached and how it stood on its stand.
struct Road {
    double cruiseFt = 0.0;         // highest altitude flown level
    double steepestFpm = 0.0;      // steepest descent handed over
    bool approach = false;
    std::uint32_t flareStage = 0;  // highest flare stage
    bool landingRoll = false;
    double curveTurnDeg = 0.0;     // largest taxi curve before the stand
    bool parking = false;
    bool parked = false;
    double parkedOffMetres = -1.0, parkedOffDeg = -1.0; // from the stand, at the end of the turn
    bool pushingBack = false, pushedBack = false;
    double pushbackTurnDeg = 0.0;  // the nose's turn from the stand's heading while pushed back
    double taxiOutMetres = 0.0;    // travelled after the push-back
    int passesAlone = 0;           // passes with the arrival active and no other aircraft
};

// The largest heading change in one frame on the whole road below as the program turns today, in
// the air and on the ground, per frame rate: a frame spans 3 or 4 passes at 30 fps, 1 or 2 at 60.
struct TurnInFrame {
    int fps;
    double airDeg, groundDeg;
};
constexpr TurnInFrame g_turnsInFrame[] = {{30, 0.568, 0.527}, {60, 0.284, 0.284}};
constexpr double g_turnMargin = 1.25;

const TurnInFrame& lf_turnInFrame(int fps)
{
    return *std::find_if(std::begin(g_turnsInFrame), std::end(g_turnsInFrame),
                         [fps](const TurnInFrame& t) { return t.fps == fps; });
}

double lf_metres(const SimObjectState& a, const SimObjectState& b)
{
    return gf_distanceNm(LatLon{a.lat, a.lon}, LatLon{b.lat, b.lon}) * 1852.0;
}

// The feeds of both aircraft in one answer, as the service gives them.
struct Feeds {
    std::vector<LegFeed*> feeds;
    std::vector<FeedRecord> at(double recordTime) const
    {
        std::vector<FeedRecord> batch;
        for (const LegFeed* f : feeds)
            batch.push_back(f->at(recordTime));
        return batch;
    }
    void deliverStartup() const
    {
        for (std::uint32_t k = 0; k < 5; ++k) {
            auto batch = at(static_cast<double>(g_epoch) + 6.0 * k);
            gf_queueFeedBatch(batch, 6 * k, g_timeOffset);
        }
    }
    void deliverLoop() const
    {
        const std::uint32_t tick = g_tick;
        if (tick == 0 || tick % 200 != 0)
            return;
        auto batch = at(static_cast<double>(g_epoch) + 30.0 + tick / 100.0);
        gf_queueFeedBatch(batch, 30, g_timeOffset);
    }
};

class FrameLockstepTest : public StandTest, public ::testing::WithParamInterface<int> {
protected:
    FrameLockstepTest()
    {
        g_msfs2020Mode = true; // the model below claims to be the 2020 simulator
        g_dbase.halfWingspans = {{"A319", 17.9 / 1852.0}, {"A320", 17.9 / 1852.0}};
        SimScenario scenario = gf_parseSimScenario(R"({"groundAltitudeFt": 0, "creationFrames": 2,
            "user": {"title": "User Jet", "atcModel": "B738", "atcId": "D-USER",
                     "path": [{"t": 0, "lat": 52.27, "lon": 4.74, "altFt": 0, "onGround": true, "headingDeg": 0}]}})");
        scenario.simulatorName = "KittyHawk";
        scenario.frameRate = static_cast<float>(GetParam());
        scenario.anyTitleInstalled = false;
        for (const char* title :
             {"Airbus A319 British Airways", "Airbus A320 Lufthansa", "Airbus A320 Lufthansa Retro"})
            scenario.installedTitles.push_back(SimTitle{title, 9.0, 0.0});
        model = std::make_shared<SimModel>(scenario);
        gf_setSimConnectBackend(model);
        HSIMCONNECT h = nullptr;
        EXPECT_GE(SimConnect_Open(&h, "TRWK", nullptr, 0, nullptr, 0), 0);
        g_hSimConnect = h;
        g_simNotConnected = false;
        gf_registerWithSim();
        g_userObjectId = SimModel::userObjectId;
    }

    // One pass of the traffic work, as the tick runs it, then a look at what it handed over.
    void pass()
    {
        feeds.deliverLoop();
        gf_handleAddingStack();
        for (const LiveAc& ac : g_liveAircraft) {
            if (ac.acState != AcState::active || ac.objectId == 0)
                continue;
            const auto handed = std::find_if(g_posBack->begin(), g_posBack->end(),
                                             [&](const AiPosition& p) { return p.objectId == ac.objectId; });
            Followed& f = followed[ac.objectId];
            // it moves to the front sample; when another takes its place, from the one before
            if (!ac.samples.empty()) {
                const FeedSample& front = ac.samples.front();
                const bool same = f.targetKnown && front.dueTick == f.target.dueTick && front.lat == f.target.lat &&
                                  front.lon == f.target.lon;
                if (!same && f.targetKnown) {
                    f.fromSpeedKt = f.target.groundSpeed;
                    f.fromVsFpm = f.target.verticalRate;
                }
                f.target = front; // its speeds as the program has them now
                f.targetKnown = true;
            }
            double speedKt = std::max(std::fabs(f.fromSpeedKt), std::fabs(f.target.groundSpeed));
            if (ac.flightState == FlightState::parking || ac.flightState == FlightState::pushing_back)
                speedKt = std::max(speedKt, ac.parkingSpeedKt);
            double vsFpm = std::max(std::fabs(f.fromVsFpm), std::fabs(f.target.verticalRate));
            double tasKt = 0.0;
            if (handed != g_posBack->end()) {
                vsFpm = std::max(vsFpm, std::fabs(handed->verticalSpeed) * 60.0);
                tasKt = handed->trueAirspeed;
            }
            Allowance& a = f.since;
            ++a.passes;
            a.onGround = a.onGround || ac.onGround;
            a.airMetres += tasKt * g_metresPerSecondPerKt * g_passSeconds;
            a.groundMetres += speedKt * g_metresPerSecondPerKt * g_passSeconds;
            a.climbFt += vsFpm / 60.0 * g_passSeconds;
        }
    }

    // One frame of the model, its messages delivered through the program's dispatch, then every
    // active aircraft judged.
    void frame()
    {
        model->step();
        SimConnect_CallDispatch(g_hSimConnect, gf_dispatch, nullptr);
        ++figures.frames;
        const double seconds = static_cast<double>(figures.frames) / GetParam();
        for (const LiveAc& ac : g_liveAircraft) {
            if (ac.acState != AcState::active || ac.objectId == 0)
                continue;
            Followed& f = followed[ac.objectId];
            const auto o = model->aiObject(ac.objectId);
            if (!o) {
                ++figures.missedUpdates;
                figures.note(fmt::format("{} active but not in the simulator at {:.2f} s", ac.callsign, seconds));
                continue;
            }
            const std::uint32_t before = updates[ac.objectId];
            if (o->positionUpdates != before + 1) {
                ++figures.missedUpdates;
                figures.note(fmt::format("{} got {} position updates in the frame at {:.2f} s", ac.callsign,
                                         o->positionUpdates - before, seconds));
            } else if (f.seen && f.since.passes > 0) {
                judge(ac, f, *o, seconds);
            }
            f.seen = o->positionUpdates == before + 1;
            f.last = *o;
            f.since = {};
        }
        for (const SimObjectState& o : model->aiObjects())
            updates[o.id] = o.positionUpdates;
    }

    // In the air the move is what the handed-over true airspeed covers, give or take 20%. On the
    // ground the handed-over speed is no bound (it is the next sample's, and 0 while the current
    // sample stands): the move is at most twice what the faster of the two samples covers, plus
    // 0.1 m. The heading turns in a frame at most a quarter more than the whole road's largest
    // turn in a frame at this rate, in the air or on the ground; the altitude changes by at most
    // what the largest vertical speed covers, plus 1 ft.
    void judge(const LiveAc& ac, const Followed& f, const SimObjectState& o, double seconds)
    {
        if (onFrame)
            onFrame(ac, f.last, o);
        ++figures.checked;
        const Allowance& a = f.since;
        const double metres = lf_metres(f.last, o);
        const std::string at = fmt::format("{} {} at {:.2f} s, {} passes", ac.callsign,
                                           gf_flightStateName(ac.flightState), seconds, a.passes);
        if (!a.onGround) {
            const double ratio = metres / std::max(a.airMetres, 1e-9);
            Figures::keep(figures.airLow, ratio, true, at);
            Figures::keep(figures.airHigh, ratio, false, at);
            if (ratio < 0.8 || ratio > 1.2)
                figures.note(fmt::format("{} moved {:.2f} m in the air, its airspeed covers {:.2f} m", at, metres,
                                         a.airMetres));
        } else {
            const double limit = 2.0 * a.groundMetres + 0.1;
            if (a.groundMetres >= 0.01)
                Figures::keep(figures.groundSpeed, metres / a.groundMetres, false, at);
            Figures::keep(figures.ground, metres / limit, false, at);
            if (metres > limit)
                figures.note(fmt::format("{} moved {:.2f} m on the ground, at most {:.2f} m", at, metres, limit));
        }
        const double turn = std::fabs(std::remainder(o.headingDeg - f.last.headingDeg, 360.0));
        Figures::keep(a.onGround ? figures.groundHeading : figures.heading, turn, false, at);
        const double turnLimit = a.onGround ? groundTurnLimitDeg() : airTurnLimitDeg();
        if (turn > turnLimit)
            figures.note(fmt::format("{} turned {:.3f} deg, at most {:.3f} deg", at, turn, turnLimit));
        const double feet = std::fabs(o.altFt - f.last.altFt);
        Figures::keep(figures.climb, feet / (a.climbFt + 1.0), false, at);
        if (feet > a.climbFt + 1.0)
            figures.note(
                fmt::format("{} changed its altitude by {:.2f} ft, at most {:.2f} ft", at, feet, a.climbFt + 1.0));
    }

    // Passes and frames in the order of their times on the manual clock, a pass first when both
    // fall due together, until the condition holds after a pass; false after `seconds`.
    bool runUntil(const std::function<bool()>& condition, double seconds)
    {
        using std::chrono::nanoseconds;
        const std::int64_t end = now + static_cast<std::int64_t>(seconds * 1e9);
        while (now < end) {
            const std::int64_t nextPass = passes * 10'000'000;
            const std::int64_t nextFrame = frames * 1'000'000'000 / GetParam();
            const std::int64_t next = std::min(nextPass, nextFrame);
            time.clock().advance(nanoseconds(next - now));
            now = next;
            if (nextPass <= nextFrame) {
                ++passes;
                pass();
                if (condition())
                    return true;
            } else {
                ++frames;
                frame();
            }
        }
        return false;
    }

    static double airTurnLimitDeg() { return lf_turnInFrame(GetParam()).airDeg * g_turnMargin; }
    static double groundTurnLimitDeg() { return lf_turnInFrame(GetParam()).groundDeg * g_turnMargin; }

    testsupport::ManualTime time{g_epoch};
    std::shared_ptr<SimModel> model;
    Feeds feeds;
    std::map<std::uint32_t, Followed> followed; // by object id
    std::map<std::uint32_t, std::uint32_t> updates; // position updates of each object after the last frame
    Figures figures;
    // Called for each aircraft judged in a frame: where the model held it after the frame before
    // and after this one.
    std::function<void(const LiveAc&, const SimObjectState& before, const SimObjectState& after)> onFrame;
    std::int64_t now = 0; // ns on the manual clock since the start
    std::int64_t passes = 0;
    std::int64_t frames = 0;
};

TEST_P(FrameLockstepTest, EveryFrameSetsEachAircraftWhereItsPassesHaveBroughtIt)
{
    // the arrival: cruise, descent, approach, roll-out, a taxi with a 60 degree left turn, a stop
    // beside its stand, push-back and taxi out
    LegFeed arrival;
    arrival.epoch = static_cast<double>(g_epoch);
    arrival.start = {52.30, 4.25};
    arrival.legs = {{40.0, 280.0, 0.0, 90.0, 8000.0, 0.0},  {144.0, 280.0, -1.0, 90.0, 8000.0, -2500.0},
                    {150.0, 136.0, 0.0, 90.0, 2000.0, -800.0}, {40.0, 136.0, -2.9, 90.0},
                    {20.0, 20.0, 0.0, 90.0},                 {30.0, 15.0, 0.0, 30.0},
                    {10.0, 15.0, -1.5, 30.0},                {60.0, 0.0, 0.0, 30.0},
                    {20.0, 3.0, 0.0, 120.0},                 {600.0, 12.0, 0.0, 210.0}};
    // another one circling the field meanwhile
    LegFeed other;
    other.epoch = arrival.epoch;
    other.identity = trackOf(0x400a4b, "BAW429");
    std::tie(other.identity.type, other.identity.registration) = std::pair{"A319", "G-EUPA"};
    other.start = {52.22, 4.60};
    other.legs = {{150.0, 180.0, 0.0, 60.0, 5000.0, 0.0},  {150.0, 180.0, 0.0, 120.0, 5000.0, 1000.0},
                  {150.0, 180.0, 0.0, 210.0, 7500.0, 0.0}, {600.0, 180.0, 0.0, 300.0, 7500.0, -500.0}};
    feeds.feeds = {&arrival, &other};

    const LatLon touchdown = arrival.endOf(2);
    parkAirport = Airport{"EHXX", "", touchdown.lat, touchdown.lon, 0.0};
    gf_setParkAirportElevation(0.0);
    const Stand& stand = addStand(lf_at(300.0, 8.0, arrival.endOf(6)), 20.0, gate, 300.0);

    Road road;
    feeds.deliverStartup();
    const std::uint32_t hex = arrival.identity.hexId;
    const auto lt_observe = [&] {
        const LiveAc* ac = gf_findLiveAc(hex);
        if (ac == nullptr || ac->acState != AcState::active)
            return;
        const auto others = std::count_if(g_liveAircraft.begin(), g_liveAircraft.end(), [&](const LiveAc& x) {
            return x.hexid != hex && x.acState == AcState::active;
        });
        road.passesAlone += others == 0 ? 1 : 0;
        const auto& p = ac->position;
        if (!ac->onGround && std::fabs(p[POS_VS]) < 1.0)
            road.cruiseFt = std::max(road.cruiseFt, p[POS_ALT]);
        road.steepestFpm = std::min(road.steepestFpm, p[POS_VS] * 60.0);
        road.approach = road.approach || ac->approach;
        road.flareStage = std::max(road.flareStage, ac->flareStage);
        road.landingRoll = road.landingRoll || ac->landingRoll;
        if (ac->flightState == FlightState::taxi && gf_hasCurve(*ac) && !road.parking)
            road.curveTurnDeg = std::max(road.curveTurnDeg, ac->curveTurnDeg);
        road.parking = road.parking || ac->flightState == FlightState::parking;
        if (ac->flightState == FlightState::parked && !road.parked && road.parking) {
            road.parked = true;
            road.parkedOffMetres =
                gf_distanceNm(LatLon{p[POS_LAT], p[POS_LON]}, LatLon{stand.latitude, stand.longitude}) * 1852.0;
            road.parkedOffDeg = std::fabs(std::remainder((p[POS_HEADING] - stand.heading) * g_rad2deg, 360.0));
        }
        road.pushingBack = road.pushingBack || ac->flightState == FlightState::pushing_back;
        if (ac->flightState == FlightState::pushed_back && !road.pushedBack)
            road.pushbackTurnDeg = std::fabs(std::remainder((p[POS_HEADING] - stand.heading) * g_rad2deg, 360.0));
        road.pushedBack = road.pushedBack || ac->flightState == FlightState::pushed_back;
    };
    LatLon pushedFrom{};
    ASSERT_TRUE(runUntil(
        [&] {
            lt_observe();
            const LiveAc* ac = gf_findLiveAc(hex);
            if (ac == nullptr || !road.pushedBack || ac->flightState != FlightState::taxi)
                return false;
            const LatLon here{ac->position[POS_LAT], ac->position[POS_LON]};
            if (pushedFrom.lat == 0.0)
                pushedFrom = here;
            road.taxiOutMetres = gf_distanceNm(pushedFrom, here) * 1852.0;
            return road.taxiOutMetres >= 100.0;
        },
        900.0))
        << figures.text();

    RecordProperty("figures", figures.text());
    // the road happened
    EXPECT_GE(road.cruiseFt, 7900.0);
    EXPECT_LE(road.steepestFpm, -2000.0);
    EXPECT_TRUE(road.approach && road.landingRoll);
    EXPECT_EQ(road.flareStage, 4u);
    EXPECT_NEAR(road.curveTurnDeg, 60.0, 5.0);
    EXPECT_TRUE(road.parked);
    EXPECT_LE(road.parkedOffMetres, 2.0);
    EXPECT_LE(road.parkedOffDeg, 1.0);
    EXPECT_TRUE(road.pushingBack && road.pushedBack);
    EXPECT_NEAR(road.pushbackTurnDeg, 90.0, 10.0); // the tail swung round
    EXPECT_EQ(road.passesAlone, 0);
    // every frame
    EXPECT_EQ(figures.missedUpdates, 0) << figures.text();
    EXPECT_TRUE(figures.airLow.value >= 0.8 && figures.airHigh.value <= 1.2) << figures.text();
    EXPECT_LE(figures.ground.value, 1.0) << figures.text();
    EXPECT_LE(figures.heading.value, airTurnLimitDeg()) << figures.text();
    EXPECT_LE(figures.groundHeading.value, groundTurnLimitDeg()) << figures.text();
    EXPECT_LE(figures.climb.value, 1.0) << figures.text();
    EXPECT_GT(figures.checked, 20000);
}

// Two aircraft in cruise turn across north, one from 340 to 020 degrees and one back: each turns
// the short way, its nose never farther from north than the two tracks.
TEST_P(FrameLockstepTest, ATurnAcrossNorthInTheAirTakesTheShortWay)
{
    LegFeed right;
    right.epoch = static_cast<double>(g_epoch);
    right.start = {52.10, 4.70};
    right.legs = {{60.0, 280.0, 0.0, 340.0, 8000.0, 0.0}, {600.0, 280.0, 0.0, 20.0, 8000.0, 0.0}};
    LegFeed left = right;
    left.identity = trackOf(0x400a4b, "BAW429");
    std::tie(left.identity.type, left.identity.registration) = std::pair{"A319", "G-EUPA"};
    left.start = {52.10, 4.80};
    left.legs = {{60.0, 280.0, 0.0, 20.0, 9000.0, 0.0}, {600.0, 280.0, 0.0, 340.0, 9000.0, 0.0}};
    feeds.feeds = {&right, &left};

    struct Turn {
        double startDeg, endDeg;
        double farthestFromNorthDeg = 0.0;
        bool turned = false; // reached its new track
        int frames = 0;
    };
    std::map<std::uint32_t, Turn> turns{{right.identity.hexId, {340.0, 20.0}}, {left.identity.hexId, {20.0, 340.0}}};
    onFrame = [&](const LiveAc& ac, const SimObjectState&, const SimObjectState& o) {
        Turn& t = turns.at(ac.hexid);
        ++t.frames;
        t.farthestFromNorthDeg = std::max(t.farthestFromNorthDeg, gf_angleDiffDeg(o.headingDeg, 0.0));
        t.turned = t.turned || gf_angleDiffDeg(o.headingDeg, t.endDeg) < 0.5;
    };
    feeds.deliverStartup();
    runUntil([] { return false; }, 150.0);

    for (const auto& [hex, t] : turns) {
        SCOPED_TRACE(fmt::format("from {:03.0f} to {:03.0f}", t.startDeg, t.endDeg));
        EXPECT_GT(t.frames, 60 * GetParam());
        EXPECT_TRUE(t.turned);
        EXPECT_LE(t.farthestFromNorthDeg, 21.0) << figures.text();
    }
    EXPECT_LE(figures.heading.value, airTurnLimitDeg()) << figures.text();
}

// The vertical speed the model receives (feet per second) is the climb or descent flown: over
// each second of a climb at 2000 ft/min and a descent at 1500 ft/min, the mean of what was handed
// over and the altitude change in that second agree within 10%, and in level flight both are near
// 0. A second is judged when the same vertical speed was handed over from 5 s before it on: at a
// change of the feed's vertical rate the altitude still moves toward the sample taken before it
// (at 250 kt every other report, 2 s apart, makes too little progress to be taken).
TEST_P(FrameLockstepTest, TheVerticalSpeedHandedOverIsTheClimbOrDescentFlown)
{
    LegFeed climber;
    climber.epoch = static_cast<double>(g_epoch);
    climber.start = {52.15, 4.55};
    climber.legs = {{40.0, 250.0, 0.0, 60.0, 5000.0, 0.0},
                    {90.0, 250.0, 0.0, 60.0, 5000.0, 2000.0},
                    {60.0, 250.0, 0.0, 60.0, 8000.0, 0.0},
                    {90.0, 250.0, 0.0, 60.0, 8000.0, -1500.0},
                    {600.0, 250.0, 0.0, 60.0, 5750.0, 0.0}};
    feeds.feeds = {&climber};

    struct Second {
        double fromFt = 0.0, seconds = 0.0, handedSum = 0.0;
        int frames = 0;
        bool steady = true; // the same vertical speed handed over from 5 s before it on
    } second;
    double handedBefore = 0.0, handedSince = 0.0, now = 0.0; // the last one handed over, since when
    struct Phase {
        const char* name;
        double fps; // flown, feet per second
        int seconds = 0;
        Worst worst{0.0, ""}; // |handed - flown| / |flown|, or |handed| ft/s when level
    };
    Phase phases[] = {{"climb", 2000.0 / 60.0}, {"descent", -1500.0 / 60.0}, {"level", 0.0}};
    onFrame = [&](const LiveAc& ac, const SimObjectState& before, const SimObjectState& o) {
        now += 1.0 / GetParam();
        if (o.verticalSpeedFps != handedBefore)
            std::tie(handedBefore, handedSince) = std::pair{o.verticalSpeedFps, now};
        if (second.frames == 0) {
            second = {};
            second.fromFt = before.altFt;
        }
        ++second.frames;
        second.seconds += 1.0 / GetParam();
        second.handedSum += o.verticalSpeedFps;
        second.steady = second.steady && now - handedSince >= second.seconds + 5.0 - 1e-9;
        if (second.seconds < 1.0 - 1e-9)
            return;
        const double handed = second.handedSum / second.frames;
        const double flown = (o.altFt - second.fromFt) / second.seconds;
        const bool steady = second.steady && !ac.onGround;
        second.frames = 0;
        if (!steady)
            return;
        for (Phase& p : phases) {
            const bool level = p.fps == 0.0;
            if (level ? std::fabs(flown) > 1.0 : std::fabs(flown - p.fps) > 0.1 * std::fabs(p.fps))
                continue;
            ++p.seconds;
            const double off = level ? std::fabs(handed) : std::fabs(handed - flown) / std::fabs(flown);
            Figures::keep(p.worst, off, false,
                          fmt::format("{:.2f} ft/s handed over, {:.2f} ft/s flown, at {:.0f} ft", handed, flown,
                                      o.altFt));
        }
    };
    feeds.deliverStartup();
    runUntil([] { return false; }, 340.0);

    for (const Phase& p : phases) {
        SCOPED_TRACE(p.name);
        EXPECT_GE(p.seconds, 30);
        EXPECT_LE(p.worst.value, p.fps == 0.0 ? 1.0 : 0.1) << p.worst.at;
    }
}

INSTANTIATE_TEST_SUITE_P(FrameRates, FrameLockstepTest, ::testing::Values(30, 60),
                         [](const auto& info) { return fmt::format("{}fps", info.param); });

} // namespace
} // namespace traffictest
