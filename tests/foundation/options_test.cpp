#include "foundation/option_table.h"
#include "foundation/options.h"
#include "foundation/range.h"

#include <algorithm>
#include <atomic>
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <vector>

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

// The figures of the option table, written down from it once: key, default and limits
// ("min..max") or the allowed values in their order; then the check boxes and options without
// limits by their defaults.
constexpr std::string_view g_figures = R"(SIM_CHOICE|MSFS 2020|MSFS 2020;MSFS 2024
AI_PACKAGE_SELECTOR|AIG, FSLTL, JF|AIG, FSLTL, JF;AIG, JF, FSLTL;FSLTL, AIG, JF;FSLTL, JF, AIG;JF, AIG, FSLTL;JF, FSLTL, AIG
MATCHING_DEPTH|4|1,2,3,4
RANGE|40|2,3,4,5,6,8,10,12,14,16,18,20,25,30,35,40,50,65,80,100
AR_ABOVE_HEIGHT|48000|18000,21000,24000,27000,30000,33000,36000,39000,42000,45000,48000
TIME_SHIFT_HOURS|0|0..23
TIME_SHIFT_DAYS|0|0..28
TIME_SHIFT_MINS|0|0..59
MAX_PARK_SEL|500|0,10,25,50,75,100,500
MAX_LIVE_SEL|500|0,10,25,50,75,100,500
AIRP_RANGE|20|5,10,15,20,25,30
AIRP_HEIGHT|18000|2000,4000,6000,8000,10000,12000,14000,16000,18000,36000,48000
parking_percentage|30|0..100
MAX_FIT|47|0..47
MAX_FIT_FL|24|0.5..24
MAX_LIVE|-1|-1..300
LATERAL_RANGE|40|2..100
HOLDING_THRESHOLD_METERS|250|10..4000
MAX_HOLDING_MINUTES|20|1..60
CUSTOM_PARKING_PERCENTAGE|-1|-1..100
LAST_EPOCH_TIME:|0|0..2147483647
AI_PACKAGE_ORDER|1|1..6
AUTO_RANGE_ABOVE_HEIGHT|49000|18000..49000
CUSTOM_MAX_PARK|-1|-1..500
AIRPORT_RANGE|20|8..30
AIRPORT_HEIGHT|18000|2000..45000
MAIN_WINDOW_X|400|-30000..30000
MAIN_WINDOW_Y|20|-30000..30000)";
constexpr std::string_view g_onByDefault = "LOG SCAN_LIVERIES LIG_AUTOMATIC SUPPRESS_STUB LEARN_SOFT "
                                           "NAV_LIGHTS_WHILE_PARKED SCAN_AIRPORTS GUID_CHANGES LIGHT_AIRCRAFT "
                                           "HELICOPTERS HIGH_PERF_AIRCRAFT AUTO_RANGE COLLISION_USER_AIR "
                                           "COLLISION_USER_GND PARK_SOFT";
constexpr std::string_view g_offByDefault = "ALWAYS_ON_TOP LIG_PRIORITIZE CALLSIGN_OBJECTIDS SIM_TIME "
                                            "COLLISION_LIVE_PARKED_GND KEEP_SIM_TIME_PAR STRAIGHT_PBS_ONLY "
                                            "INITIAL_LOAD_ONLY PARK_FAKE WEEK RT_PARKTRAFFIC_ONLY MSFS_2020";
constexpr std::string_view g_emptyTexts = "ALL_INSTALL_PATH CALLSIGN_2_OBJECTID BLOCK_CALLSIGN DESTINATION "
                                          "PROGRAM_VERSION PROGRAM_INSTALL_PATH MSFS_INSTALL_PATH "
                                          "MSFS_2024_INSTALL_PATH DBASE_VERSION AIG_VERSION MYSIMADDON24_VERSION "
                                          "lfolder0 lfolder1 lfolder2 lfolder3 lfolder4 lfolder5 lfolder6 "
                                          "lfolder7 lfolder8 lfolder9";

// An option's default and limits in the form of the figures above.
std::string lf_figuresOf(const Parameter& option)
{
    if (const auto* c = dynamic_cast<const IntChoiceParameter*>(&option))
        return fmt::format("{}|{}", c->defaultValue, fmt::join(c->allowed, ","));
    if (const auto* c = dynamic_cast<const StringChoiceParameter*>(&option))
        return fmt::format("{}|{}", c->defaultValue, fmt::join(c->choices, ";"));
    if (const auto* i = dynamic_cast<const IntParameter*>(&option))
        return fmt::format("{}|{}..{}", i->defaultValue, i->min, i->max);
    if (const auto* f = dynamic_cast<const FloatParameter*>(&option))
        return fmt::format("{}|{}..{}", f->defaultValue, f->min, f->max);
    if (const auto* b = dynamic_cast<const BoolParameter*>(&option))
        return b->defaultValue ? "on" : "off";
    if (const auto* t = dynamic_cast<const StringParameter*>(&option))
        return t->defaultValue;
    return "?";
}

std::map<std::string, std::string> lf_expectedFigures()
{
    std::map<std::string, std::string> expected;
    std::istringstream rows{std::string(g_figures)};
    for (std::string row; std::getline(rows, row);)
        expected[row.substr(0, row.find('|'))] = row.substr(row.find('|') + 1);
    const std::pair<std::string_view, const char*> byDefault[] = {{g_onByDefault, "on"}, {g_offByDefault, "off"},
                                                                  {g_emptyTexts, ""}};
    for (const auto& [keys, figures] : byDefault) {
        std::istringstream words{std::string(keys)};
        for (std::string key; words >> key;)
            expected[key] = figures;
    }
    return expected;
}

class OptionTable : public ::testing::Test {
protected:
    void SetUp() override { gf_resetOptions(); }
    void TearDown() override { gf_resetOptions(); }
};

TEST(OptionObjects, ConstructorsFillTheFourFields)
{
    const BoolParameter on("ON", true);
    EXPECT_TRUE(on.value && on.min && on.max && on.defaultValue);
    const StringParameter text("TEXT", "abc");
    EXPECT_TRUE(text.value.get() == "abc" && text.min == "abc" && text.max == "abc");
    const IntChoiceParameter choice("CHOICE", 7, 0x8100, 119, {2, 3, 4, 5, 6, 8});
    EXPECT_TRUE(choice.min == 2 && choice.max == 8 && choice.controlId == 0x8100 && choice.rowY == 119);
    EXPECT_EQ(choice.value, 7); // inside the limits, not in the list: nothing corrects it
    EXPECT_TRUE(choice.hWnd.load() == nullptr && choice.prevWndProc.load() == nullptr);
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

TEST_F(OptionTable, EveryOptionOnceWithTheDefaultAndLimitsOfTheTableAndTheMetaRecords)
{
    const auto expected = lf_expectedFigures();
    std::set<std::string> keys;
    for (const Parameter* option : gf_allOptions()) {
        EXPECT_TRUE(keys.insert(option->name).second) << option->name;
        const auto it = expected.find(option->name);
        ASSERT_NE(it, expected.end()) << option->name;
        EXPECT_EQ(lf_figuresOf(*option), it->second) << option->name;
    }
    EXPECT_EQ(keys.size(), expected.size());
    MAX_LIVE_SEL.value = 10; // the same list, separate values
    EXPECT_EQ(MAX_PARK_SEL.value, 500);
    // the meta records are empty but for the copyright, one line of text
    for (const StringParameter* record : {&g_metaAuthor, &g_metaDate, &g_metaVersion, &g_metaMsfs})
        EXPECT_TRUE(record->value.empty()) << record->name;
    EXPECT_TRUE(!g_metaCopyright.defaultValue.empty() && g_metaCopyright.defaultValue.find('\n') == std::string::npos);
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

TEST(RangeRounding, EachRuleAtBothEndsOfEveryBand)
{
    // each band's lowest input and its choice, from the lowest band up (which has no lower end)
    using Bands = std::vector<std::pair<int, int>>;
    const std::vector<std::tuple<const char*, std::int32_t (*)(std::int32_t), Bands>> rules{
        {"count", gf_snapCount, {{0, 0}, {1, 10}, {18, 25}, {38, 50}, {63, 75}, {88, 100}, {300, 500}}},
        {"airport range", gf_snapAirportRange, {{0, 5}, {8, 10}, {13, 15}, {18, 20}, {23, 25}, {27, 30}}},
        {"range", gf_snapRange, {{0, 2},   {3, 3},   {4, 4},   {5, 5},   {6, 6},   {7, 8},   {9, 10},
                                 {11, 12}, {13, 14}, {15, 16}, {17, 18}, {19, 20}, {23, 25}, {28, 30},
                                 {33, 35}, {38, 40}, {45, 50}, {57, 65}, {73, 80}, {90, 100}}},
        {"height", gf_snapHeight, {{0, 2000}, {3000, 4000}, {5000, 6000}, {7000, 8000}, {9000, 10000},
                                   {11000, 12000}, {13000, 14000}, {15000, 16000}, {17000, 18000},
                                   {27000, 36000}, {47000, 48000}}}};
    for (const auto& [name, rule, bands] : rules)
        for (std::size_t i = 0; i < bands.size(); ++i)
            for (const int in : {i == 0 ? -1000000 : bands[i].first,
                                 i + 1 < bands.size() ? bands[i + 1].first - 1 : 1000000})
                EXPECT_EQ(rule(in), bands[i].second) << name << " " << in;
}

} // namespace
