#include "foundation/option_table.h"
#include "foundation/options.h"
#include "foundation/range.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace {

std::vector<UiControl*> lf_allControls()
{
    std::vector<UiControl*> controls;
    for (Parameter* option : gf_allOptions())
        if (auto* control = dynamic_cast<UiControl*>(option))
            controls.push_back(control);
    for (UiButton* button : gf_allButtons())
        controls.push_back(button);
    return controls;
}

class OptionTable : public ::testing::Test {
protected:
    void SetUp() override { gf_resetOptions(); }
    void TearDown() override { gf_resetOptions(); }
};

TEST(OptionObjects, ConstructorsFillTheFourFields)
{
    const BoolParameter on("ON", true);
    EXPECT_TRUE(on.value);
    EXPECT_TRUE(on.min);
    EXPECT_TRUE(on.max);
    EXPECT_TRUE(on.defaultValue);

    const IntChoiceParameter choice("CHOICE", 7, 0x8100, 119, {2, 3, 4, 5, 6, 8});
    EXPECT_EQ(choice.min, 2);
    EXPECT_EQ(choice.max, 8);
    EXPECT_EQ(choice.value, 7); // inside the limits, not in the list: nothing corrects it
    EXPECT_EQ(choice.controlId, 0x8100);
    EXPECT_EQ(choice.rowY, 119);
    EXPECT_EQ(choice.hWnd.load(), nullptr);
    EXPECT_EQ(choice.prevWndProc.load(), nullptr);

    const StringParameter text("TEXT", "abc");
    EXPECT_EQ(text.value.get(), "abc");
    EXPECT_EQ(text.min, "abc");
    EXPECT_EQ(text.max, "abc");

    EXPECT_THROW(IntChoiceParameter("EMPTY", 0, 0x8101, 119, {}), std::invalid_argument);
}

TEST(OptionObjects, ClampingKeepsIntsAndFloatsInTheirLimits)
{
    const IntParameter n("N", 5, -1, 10);
    EXPECT_EQ(n.clamped(-7), -1);
    EXPECT_EQ(n.clamped(11), 10);
    EXPECT_EQ(n.clamped(3), 3);
    EXPECT_EQ(n.clamped(std::int64_t{1} << 40), 10);
    const FloatParameter f("F", 1.0F, 0.5F, 24.0F);
    EXPECT_EQ(f.clamped(0.2F), 0.5F);
    EXPECT_EQ(f.clamped(30.0F), 24.0F);
}

TEST(OptionObjects, ADeletedObjectThroughItsControlBaseIsDestroyedWhole)
{
    UiControl* control = new UiStringParameter("T", std::string(1000, 'x'), 0x8102, 119);
    delete control; // the sanitizer build finds a leak or a bad free if this went wrong
}

TEST(OptionObjects, TextValuesAreWholeSnapshotsWhileAnotherThreadWrites)
{
    UiStringParameter text("BLOCK", "", 0x8103, 259);
    const std::string a(200, 'a');
    const std::string b(300, 'b');
    std::atomic<bool> reading{false};
    std::atomic<bool> done{false};
    std::thread writer([&] {
        while (!reading) // the writes start only once the reader runs
            std::this_thread::yield();
        for (int i = 0; i < 20000; ++i)
            text.value = (i % 2 == 0) ? a : b;
        done = true;
    });
    int seen = 0;
    do {
        const std::string snapshot = text.value.get();
        EXPECT_TRUE(snapshot.empty() || snapshot == a || snapshot == b);
        ++seen;
        reading = true;
    } while (!done);
    writer.join();
    EXPECT_GT(seen, 1);
}

TEST_F(OptionTable, HasEveryOptionOnceWithItsKeyAndDefaultsInsideTheLimits)
{
    const auto& options = gf_allOptions();
    EXPECT_EQ(options.size(), 76U);
    std::set<std::string> keys;
    for (const Parameter* option : options) {
        EXPECT_TRUE(keys.insert(option->name).second) << option->name;
        if (const auto* i = dynamic_cast<const IntParameter*>(option)) {
            EXPECT_LE(i->min, i->defaultValue) << i->name;
            EXPECT_LE(i->defaultValue, i->max) << i->name;
        }
        if (const auto* f = dynamic_cast<const FloatParameter*>(option)) {
            EXPECT_LE(f->min, f->defaultValue) << f->name;
            EXPECT_LE(f->defaultValue, f->max) << f->name;
        }
        if (const auto* c = dynamic_cast<const IntChoiceParameter*>(option)) {
            EXPECT_TRUE(std::is_sorted(c->allowed.begin(), c->allowed.end())) << c->name;
            EXPECT_EQ(c->min, c->allowed.front()) << c->name;
            EXPECT_EQ(c->max, c->allowed.back()) << c->name;
            EXPECT_NE(std::find(c->allowed.begin(), c->allowed.end(), c->defaultValue), c->allowed.end())
                << c->name;
        }
        if (const auto* s = dynamic_cast<const StringChoiceParameter*>(option)) {
            EXPECT_NE(std::find(s->choices.begin(), s->choices.end(), s->defaultValue), s->choices.end())
                << s->name;
        }
    }
    // the few keys that break the pattern
    EXPECT_EQ(LAST_EPOCH_TIME.name, "LAST_EPOCH_TIME:");
    EXPECT_EQ(parking_percentage.name, "parking_percentage");
    EXPECT_TRUE(keys.count("lfolder0") && keys.count("lfolder9"));
}

TEST_F(OptionTable, FortyEightControlsWithUniqueIdsOnTheirRows)
{
    const auto controls = lf_allControls();
    EXPECT_EQ(controls.size(), 48U);
    std::set<std::uint16_t> ids;
    const std::set<std::int32_t> buttonRows{257, 341, 369};
    for (const UiControl* control : controls) {
        EXPECT_TRUE(ids.insert(control->controlId).second) << control->controlId;
        EXPECT_GE(control->controlId, 0x8000);
        EXPECT_LT(control->controlId, 0x8100);
        const bool onGrid = control->rowY >= 119 && (control->rowY - 119) % 28 == 0 && control->rowY <= 371;
        EXPECT_TRUE(onGrid || buttonRows.count(control->rowY)) << control->controlId << " " << control->rowY;
    }
}

TEST_F(OptionTable, TimeShiftIdsAndRowsRunInDifferentOrders)
{
    EXPECT_LT(TIME_SHIFT_DAYS.controlId, TIME_SHIFT_HOURS.controlId);
    EXPECT_LT(TIME_SHIFT_HOURS.controlId, TIME_SHIFT_MINS.controlId);
    EXPECT_LT(TIME_SHIFT_HOURS.rowY, TIME_SHIFT_DAYS.rowY);
    EXPECT_LT(TIME_SHIFT_DAYS.rowY, TIME_SHIFT_MINS.rowY);
}

TEST_F(OptionTable, SuccessorOptionsAreSeparateFromTheirPredecessors)
{
    EXPECT_NE(AR_ABOVE_HEIGHT.defaultValue, AUTO_RANGE_ABOVE_HEIGHT.defaultValue);
    EXPECT_NE(AR_ABOVE_HEIGHT.max, AUTO_RANGE_ABOVE_HEIGHT.max);
    EXPECT_NE(AIRP_HEIGHT.max, AIRPORT_HEIGHT.max);
    EXPECT_NE(AIRP_RANGE.min, AIRPORT_RANGE.min);
    for (const IntParameter* unset : {&MAX_LIVE, &CUSTOM_MAX_PARK, &CUSTOM_PARKING_PERCENTAGE})
        EXPECT_EQ(unset->defaultValue, -1) << unset->name;

    MAX_LIVE_SEL.value = 10;
    EXPECT_EQ(MAX_PARK_SEL.value, 500);
    EXPECT_EQ(MAX_LIVE_SEL.allowed, MAX_PARK_SEL.allowed);
}

TEST_F(OptionTable, AiPackageChoicesAreTheSixOrdersOfThreePackages)
{
    std::set<std::set<std::string>> packages;
    for (const std::string& choice : AI_PACKAGE_SELECTOR.choices) {
        std::set<std::string> names;
        std::size_t start = 0;
        for (std::size_t comma; (comma = choice.find(", ", start)) != std::string::npos; start = comma + 2)
            names.insert(choice.substr(start, comma - start));
        names.insert(choice.substr(start));
        EXPECT_EQ(names.size(), 3U) << choice;
        packages.insert(names);
    }
    EXPECT_EQ(packages.size(), 1U);
    EXPECT_EQ(std::set<std::string>(AI_PACKAGE_SELECTOR.choices.begin(), AI_PACKAGE_SELECTOR.choices.end()).size(), 6U);
}

TEST_F(OptionTable, KeyCopiesFollowTheirOptions)
{
    const std::vector<std::pair<const std::string*, const Parameter*>> copies{
        {&g_lateralRangeKey, &LATERAL_RANGE},   {&g_autoRangeKey, &AUTO_RANGE},
        {&g_initialLoadOnlyKey, &INITIAL_LOAD_ONLY}, {&g_parkSoftKey, &PARK_SOFT},
        {&g_parkFakeKey, &PARK_FAKE},           {&g_parkingPercentageKey, &parking_percentage},
        {&g_maxFitKey, &MAX_FIT},               {&g_weekKey, &WEEK},
        {&g_rtParkTrafficOnlyKey, &RT_PARKTRAFFIC_ONLY}, {&g_learnSoftKey, &LEARN_SOFT},
        {&g_maxLiveKey, &MAX_LIVE}};
    for (const auto& [copy, option] : copies) {
        EXPECT_FALSE(copy->empty());
        EXPECT_EQ(*copy, option->name);
    }
}

TEST_F(OptionTable, MetaRecordsAreEmptyButTheCopyright)
{
    for (const StringParameter* record : {&g_metaAuthor, &g_metaDate, &g_metaVersion, &g_metaMsfs})
        EXPECT_TRUE(record->value.empty()) << record->name;
    const std::string copyright = g_metaCopyright.defaultValue;
    EXPECT_FALSE(copyright.empty());
    EXPECT_EQ(copyright.find('\n'), std::string::npos);
}

TEST_F(OptionTable, RangeStartsAtFortyAndSetRangeAddsTheMargin)
{
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(g_rangeNm.load(), 40.0);
    EXPECT_EQ(g_rangeMeters.load(), 74080);
    EXPECT_EQ(SIM_CHOICE.value.get(), "MSFS 2020");

    gf_setRange(40);
    EXPECT_EQ(g_rangeMeters.load(), 84080);

    // outside the limits: the option is clamped, the radius follows the value given
    gf_setRange(150);
    EXPECT_EQ(RANGE.value, 100);
    EXPECT_EQ(g_rangeNm.load(), 150.0);
    EXPECT_EQ(g_rangeMeters.load(), 150 * 1852 + 10000);
    gf_setRange(1);
    EXPECT_EQ(RANGE.value, 2);
    EXPECT_EQ(g_rangeMeters.load(), 1852 + 10000);
    // a value no radius can hold saturates instead of wrapping
    gf_setRange(2000000);
    EXPECT_EQ(g_rangeMeters.load(), std::numeric_limits<std::int32_t>::max());
}

TEST(RangeRounding, RangesGoToTheNearestBand)
{
    const std::map<std::int32_t, std::int32_t> cases{{1, 2},   {2, 2},   {5, 5},   {7, 8},   {22, 20}, {23, 25},
                                                     {36, 35}, {38, 40}, {44, 40}, {45, 50}, {89, 80}, {90, 100},
                                                     {-5, 2},  {5000, 100}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(gf_snapRange(in), out) << in;
}

TEST(RangeRounding, HeightsGoToTheNearestChoice)
{
    const std::map<std::int32_t, std::int32_t> cases{{2999, 2000},   {3000, 4000},   {4999, 4000},   {5000, 6000},
                                                     {16999, 16000}, {17000, 18000}, {26999, 18000}, {27000, 36000},
                                                     {46999, 36000}, {47000, 48000}, {-1, 2000}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(gf_snapHeight(in), out) << in;
}

TEST(RangeRounding, EveryResultIsAChoiceAndLargerInputsNeverGiveLess)
{
    std::int32_t previous = 0;
    for (std::int32_t nm = -10; nm <= 200; ++nm) {
        const std::int32_t r = gf_snapRange(nm);
        EXPECT_NE(std::find(RANGE.allowed.begin(), RANGE.allowed.end(), r), RANGE.allowed.end()) << nm;
        EXPECT_GE(r, previous) << nm;
        previous = r;
    }
    previous = 0;
    for (std::int32_t feet = -100; feet <= 60000; feet += 50) {
        const std::int32_t h = gf_snapHeight(feet);
        EXPECT_NE(std::find(AIRP_HEIGHT.allowed.begin(), AIRP_HEIGHT.allowed.end(), h), AIRP_HEIGHT.allowed.end())
            << feet;
        EXPECT_GE(h, previous) << feet;
        previous = h;
    }
}

} // namespace
