#include "foundation/option_table.h"

// Objects of one file are built in the order written: everything that copies from an option
// stands below it.

UiStringParameter ALL_INSTALL_PATH("ALL_INSTALL_PATH", "", 0x8014, 119);
StringChoiceParameter SIM_CHOICE("SIM_CHOICE", "MSFS 2020", 0x8016, 119, {"MSFS 2020", "MSFS 2024"});
UiBoolParameter ALWAYS_ON_TOP("ALWAYS_ON_TOP", false, 0x8003, 147);
UiBoolParameter LOG("LOG", true, 0x800b, 147);
StringChoiceParameter AI_PACKAGE_SELECTOR("AI_PACKAGE_SELECTOR", "AIG, FSLTL, JF", 0x8017, 147,
                                          {"AIG, FSLTL, JF", "AIG, JF, FSLTL", "FSLTL, AIG, JF", "FSLTL, JF, AIG",
                                           "JF, AIG, FSLTL", "JF, FSLTL, AIG"});
UiBoolParameter SCAN_LIVERIES("SCAN_LIVERIES", true, 0x801d, 147);
UiBoolParameter LIG_AUTOMATIC("LIG_AUTOMATIC", true, 0x801e, 147);
UiBoolParameter LIG_PRIORITIZE("LIG_PRIORITIZE", false, 0x801f, 147);
UiBoolParameter SUPPRESS_STUB("SUPPRESS_STUB", true, 0x8020, 147);
UiBoolParameter LEARN_SOFT("LEARN_SOFT", true, 0x8009, 175);
UiBoolParameter NAV_LIGHTS_WHILE_PARKED("NAV_LIGHTS_WHILE_PARKED", true, 0x800a, 175);
UiBoolParameter SCAN_AIRPORTS("SCAN_AIRPORTS", true, 0x8021, 175);
UiBoolParameter GUID_CHANGES("GUID_CHANGES", true, 0x8005, 203);
IntChoiceParameter MATCHING_DEPTH("MATCHING_DEPTH", 4, 0x8028, 203, {1, 2, 3, 4});
UiBoolParameter LIGHT_AIRCRAFT("LIGHT_AIRCRAFT", true, 0x8029, 203);
UiBoolParameter HELICOPTERS("HELICOPTERS", true, 0x802a, 203);
UiBoolParameter HIGH_PERF_AIRCRAFT("HIGH_PERF_AIRCRAFT", true, 0x802b, 203);
UiBoolParameter CALLSIGN_OBJECTIDS("CALLSIGN_OBJECTIDS", false, 0x8036, 203);
IntChoiceParameter RANGE("RANGE", 40, 0x8032, 231,
                         {2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100});
UiBoolParameter AUTO_RANGE("AUTO_RANGE", true, 0x8033, 231);
IntChoiceParameter AR_ABOVE_HEIGHT("AR_ABOVE_HEIGHT", 48000, 0x8034, 231,
                                   {18000, 21000, 24000, 27000, 30000, 33000, 36000, 39000, 42000, 45000, 48000});
UiIntParameter TIME_SHIFT_HOURS("TIME_SHIFT_HOURS", 0, 0, 23, 0x805c, 231);
UiBoolParameter SIM_TIME("SIM_TIME", false, 0x805e, 231);
UiStringParameter CALLSIGN_2_OBJECTID("CALLSIGN_2_OBJECTID", "", 0x8006, 259);
UiStringParameter BLOCK_CALLSIGN("BLOCK_CALLSIGN", "", 0x803c, 259);
UiIntParameter TIME_SHIFT_DAYS("TIME_SHIFT_DAYS", 0, 0, 28, 0x805b, 259);
UiBoolParameter COLLISION_USER_AIR("COLLISION_USER_AIR", true, 0x8041, 287);
UiBoolParameter COLLISION_USER_GND("COLLISION_USER_GND", true, 0x8042, 287);
UiBoolParameter COLLISION_LIVE_PARKED_GND("COLLISION_LIVE_PARKED_GND", false, 0x8043, 287);
UiIntParameter TIME_SHIFT_MINS("TIME_SHIFT_MINS", 0, 0, 59, 0x805d, 287);
UiBoolParameter KEEP_SIM_TIME_PAR("KEEP_SIM_TIME_PAR", false, 0x805f, 287);
IntChoiceParameter MAX_PARK_SEL("MAX_PARK_SEL", 500, 0x804e, 315, {0, 10, 25, 50, 75, 100, 500});
IntChoiceParameter MAX_LIVE_SEL("MAX_LIVE_SEL", 500, 0x804f, 315, {0, 10, 25, 50, 75, 100, 500});
UiBoolParameter STRAIGHT_PBS_ONLY("STRAIGHT_PBS_ONLY", false, 0x8058, 315);
UiStringParameter DESTINATION("DESTINATION", "", 0x8047, 343);
IntChoiceParameter AIRP_RANGE("AIRP_RANGE", 20, 0x8048, 343, {5, 10, 15, 20, 25, 30});
IntChoiceParameter AIRP_HEIGHT("AIRP_HEIGHT", 18000, 0x8049, 343,
                               {2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000, 18000, 36000, 48000});
UiIntParameter parking_percentage("parking_percentage", 30, 0, 100, 0x8050, 371);
UiBoolParameter INITIAL_LOAD_ONLY("INITIAL_LOAD_ONLY", false, 0x8052, 371);
UiBoolParameter PARK_SOFT("PARK_SOFT", true, 0x8053, 371);
UiBoolParameter PARK_FAKE("PARK_FAKE", false, 0x8054, 371);
UiIntParameter MAX_FIT("MAX_FIT", 47, 0, 47, 0x8055, 371);
UiBoolParameter WEEK("WEEK", false, 0x8056, 371);
UiFloatParameter MAX_FIT_FL("MAX_FIT_FL", 24.0F, 0.5F, 24.0F, 0x8057, 371);
UiBoolParameter RT_PARKTRAFFIC_ONLY("RT_PARKTRAFFIC_ONLY", false, 0x8059, 371);

UiButton g_unblockButton("Unblock", 0x803d, 257);
UiButton g_rereadButton("Re-read", 0x8046, 341);
UiButton g_flushStaticButton("Flush static", 0x805a, 369);

BoolParameter MSFS_2020("MSFS_2020", false);
IntParameter MAX_LIVE("MAX_LIVE", -1, -1, 300);
IntParameter LATERAL_RANGE("LATERAL_RANGE", 40, 2, 100);
IntParameter HOLDING_THRESHOLD_METERS("HOLDING_THRESHOLD_METERS", 250, 10, 4000);
IntParameter MAX_HOLDING_MINUTES("MAX_HOLDING_MINUTES", 20, 1, 60);
IntParameter CUSTOM_PARKING_PERCENTAGE("CUSTOM_PARKING_PERCENTAGE", -1, -1, 100);
IntParameter LAST_EPOCH_TIME("LAST_EPOCH_TIME:", 0, 0, 2147483647);
IntParameter AI_PACKAGE_ORDER("AI_PACKAGE_ORDER", 1, 1, 6);
IntParameter AUTO_RANGE_ABOVE_HEIGHT("AUTO_RANGE_ABOVE_HEIGHT", 49000, 18000, 49000);
IntParameter CUSTOM_MAX_PARK("CUSTOM_MAX_PARK", -1, -1, 500);
IntParameter AIRPORT_RANGE("AIRPORT_RANGE", 20, 8, 30);
IntParameter AIRPORT_HEIGHT("AIRPORT_HEIGHT", 18000, 2000, 45000);
IntParameter MAIN_WINDOW_X("MAIN_WINDOW_X", 400, -30000, 30000);
IntParameter MAIN_WINDOW_Y("MAIN_WINDOW_Y", 20, -30000, 30000);
StringParameter PROGRAM_VERSION("PROGRAM_VERSION", "");
StringParameter PROGRAM_INSTALL_PATH("PROGRAM_INSTALL_PATH", "");
StringParameter MSFS_INSTALL_PATH("MSFS_INSTALL_PATH", "");
StringParameter MSFS_2024_INSTALL_PATH("MSFS_2024_INSTALL_PATH", "");
StringParameter DBASE_VERSION("DBASE_VERSION", "");
StringParameter AIG_VERSION("AIG_VERSION", "");
StringParameter MYSIMADDON24_VERSION("MYSIMADDON24_VERSION", "");
StringParameter lfolder0("lfolder0", "");
StringParameter lfolder1("lfolder1", "");
StringParameter lfolder2("lfolder2", "");
StringParameter lfolder3("lfolder3", "");
StringParameter lfolder4("lfolder4", "");
StringParameter lfolder5("lfolder5", "");
StringParameter lfolder6("lfolder6", "");
StringParameter lfolder7("lfolder7", "");
StringParameter lfolder8("lfolder8", "");
StringParameter lfolder9("lfolder9", "");

std::atomic<double> g_rangeNm{static_cast<double>(RANGE.defaultValue)};
std::atomic<std::int32_t> g_rangeMeters{RANGE.defaultValue * 1852};

const std::string g_lateralRangeKey = LATERAL_RANGE.name;
const std::string g_autoRangeKey = AUTO_RANGE.name;
const std::string g_initialLoadOnlyKey = INITIAL_LOAD_ONLY.name;
const std::string g_parkSoftKey = PARK_SOFT.name;
const std::string g_parkFakeKey = PARK_FAKE.name;
const std::string g_parkingPercentageKey = parking_percentage.name;
const std::string g_maxFitKey = MAX_FIT.name;
const std::string g_weekKey = WEEK.name;
const std::string g_rtParkTrafficOnlyKey = RT_PARKTRAFFIC_ONLY.name;
const std::string g_learnSoftKey = LEARN_SOFT.name;
const std::string g_maxLiveKey = MAX_LIVE.name;

StringParameter g_metaAuthor("author", "");
StringParameter g_metaDate("date", "");
StringParameter g_metaVersion("version", "");
StringParameter g_metaCopyright("copyright", "Made by TRWK for its own use; not to be copied or sold");
StringParameter g_metaMsfs("MSFS", "");

const std::vector<Parameter*>& gf_allOptions()
{
    static const std::vector<Parameter*> options{
        &ALL_INSTALL_PATH, &SIM_CHOICE, &ALWAYS_ON_TOP, &LOG, &AI_PACKAGE_SELECTOR, &SCAN_LIVERIES, &LIG_AUTOMATIC,
        &LIG_PRIORITIZE, &SUPPRESS_STUB, &LEARN_SOFT, &NAV_LIGHTS_WHILE_PARKED, &SCAN_AIRPORTS, &GUID_CHANGES,
        &MATCHING_DEPTH, &LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &CALLSIGN_OBJECTIDS, &RANGE,
        &AUTO_RANGE, &AR_ABOVE_HEIGHT, &TIME_SHIFT_HOURS, &SIM_TIME, &CALLSIGN_2_OBJECTID, &BLOCK_CALLSIGN,
        &TIME_SHIFT_DAYS, &COLLISION_USER_AIR, &COLLISION_USER_GND, &COLLISION_LIVE_PARKED_GND, &TIME_SHIFT_MINS,
        &KEEP_SIM_TIME_PAR, &MAX_PARK_SEL, &MAX_LIVE_SEL, &STRAIGHT_PBS_ONLY, &DESTINATION, &AIRP_RANGE,
        &AIRP_HEIGHT, &parking_percentage, &INITIAL_LOAD_ONLY, &PARK_SOFT, &PARK_FAKE, &MAX_FIT, &WEEK, &MAX_FIT_FL,
        &RT_PARKTRAFFIC_ONLY,
        &MSFS_2020, &MAX_LIVE, &LATERAL_RANGE, &HOLDING_THRESHOLD_METERS, &MAX_HOLDING_MINUTES,
        &CUSTOM_PARKING_PERCENTAGE, &LAST_EPOCH_TIME, &AI_PACKAGE_ORDER, &AUTO_RANGE_ABOVE_HEIGHT, &CUSTOM_MAX_PARK,
        &AIRPORT_RANGE, &AIRPORT_HEIGHT, &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &PROGRAM_VERSION, &PROGRAM_INSTALL_PATH,
        &MSFS_INSTALL_PATH, &MSFS_2024_INSTALL_PATH, &DBASE_VERSION, &AIG_VERSION, &MYSIMADDON24_VERSION, &lfolder0,
        &lfolder1, &lfolder2, &lfolder3, &lfolder4, &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};
    return options;
}

const std::vector<UiButton*>& gf_allButtons()
{
    static const std::vector<UiButton*> buttons{&g_unblockButton, &g_rereadButton, &g_flushStaticButton};
    return buttons;
}

namespace {

void lf_reset(Parameter* option)
{
    if (auto* control = dynamic_cast<UiControl*>(option)) {
        control->hWnd = nullptr;
        control->prevWndProc = nullptr;
    }
    if (auto* i = dynamic_cast<IntParameter*>(option))
        i->value = i->defaultValue;
    else if (auto* f = dynamic_cast<FloatParameter*>(option))
        f->value = f->defaultValue;
    else if (auto* b = dynamic_cast<BoolParameter*>(option))
        b->value = b->defaultValue;
    else if (auto* s = dynamic_cast<StringParameter*>(option))
        s->value = s->defaultValue;
}

} // namespace

void gf_resetOptions()
{
    for (Parameter* option : gf_allOptions())
        lf_reset(option);
    for (UiButton* button : gf_allButtons())
        lf_reset(button);
    for (StringParameter* record : {&g_metaAuthor, &g_metaDate, &g_metaVersion, &g_metaCopyright, &g_metaMsfs})
        lf_reset(record);
    g_rangeNm = static_cast<double>(RANGE.defaultValue);
    g_rangeMeters = RANGE.defaultValue * 1852;
}
