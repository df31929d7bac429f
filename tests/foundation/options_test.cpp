#include "foundation/option_table.h"
#include "foundation/options.h"
#include "foundation/range.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

// The figures of the option table, written down from it once: key, default and limits
// ("min..max") or the allowed values in their order. The defaults of the check boxes and texts are
// those of a new parameters.xml (parameter_file_test.cpp).
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
    return "?";
}

class OptionTable : public ::testing::Test {
protected:
    void SetUp() override { gf_resetOptions(); }
    void TearDown() override { gf_resetOptions(); }
};

TEST(OptionObjects, ConstructorsFillTheFourFieldsAndClampingKeepsTheLimits)
{
    const BoolParameter on("ON", true);
    EXPECT_TRUE(on.value && on.min && on.max && on.defaultValue);
    const IntChoiceParameter choice("CHOICE", 7, 0x8100, 119, {2, 3, 4, 5, 6, 8});
    EXPECT_TRUE(choice.min == 2 && choice.max == 8 && choice.controlId == 0x8100 && choice.rowY == 119);
    EXPECT_EQ(choice.value, 7); // inside the limits, not in the list: nothing corrects it
    EXPECT_THROW(IntChoiceParameter("EMPTY", 0, 0x8101, 119, {}), std::invalid_argument);
    const FloatParameter f("F", 1.0F, 0.5F, 24.0F);
    EXPECT_EQ(f.clamped(0.2F) + f.clamped(30.0F), 24.5F);

    UiControl* control = new UiStringParameter("T", std::string(1000, 'x'), 0x8102, 119);
    delete control; // through the control base: the sanitizer build finds a leak or a bad free if this went wrong
}

TEST_F(OptionTable, EveryOptionOnceWithTheDefaultAndLimitsOfTheTableAndTheMetaRecords)
{
    std::map<std::string, const Parameter*> options;
    for (const Parameter* option : gf_allOptions())
        EXPECT_TRUE(options.emplace(option->name, option).second) << option->name;
    std::istringstream rows{std::string(g_figures)};
    for (std::string row; std::getline(rows, row);) {
        const std::string key = row.substr(0, row.find('|'));
        ASSERT_TRUE(options.contains(key)) << key;
        EXPECT_EQ(lf_figuresOf(*options[key]), row.substr(key.size() + 1)) << key;
    }
    MAX_LIVE_SEL.value = 10; // the same list, separate values
    EXPECT_EQ(MAX_PARK_SEL.value, 500);
    // the meta records are empty but for the copyright, one line of text
    for (const StringParameter* record : {&g_metaAuthor, &g_metaDate, &g_metaVersion, &g_metaMsfs})
        EXPECT_TRUE(record->value.empty()) << record->name;
    EXPECT_TRUE(!g_metaCopyright.defaultValue.empty() && g_metaCopyright.defaultValue.find('\n') == std::string::npos);
}

TEST_F(OptionTable, RangeStartsAtFortyAndSetRangeAddsTheMargin)
{
    EXPECT_EQ(g_rangeNm.load(), 40.0);
    EXPECT_EQ(g_rangeMeters.load(), 74080);

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
