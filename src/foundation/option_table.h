#pragma once
// Every option of the program, each one global object named by its key, the three buttons of
// the options panel, the meta-information records, the key copies of the airport parking files
// and the range globals derived from RANGE.
#include "foundation/options.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// options with a control in the options panel, by rows from top to bottom
extern UiStringParameter ALL_INSTALL_PATH;
extern StringChoiceParameter SIM_CHOICE;
extern UiBoolParameter ALWAYS_ON_TOP;
extern UiBoolParameter LOG;
extern StringChoiceParameter AI_PACKAGE_SELECTOR;
extern UiBoolParameter SCAN_LIVERIES;
extern UiBoolParameter LIG_AUTOMATIC;
extern UiBoolParameter LIG_PRIORITIZE;
extern UiBoolParameter SUPPRESS_STUB;
extern UiBoolParameter LEARN_SOFT;
extern UiBoolParameter NAV_LIGHTS_WHILE_PARKED;
extern UiBoolParameter SCAN_AIRPORTS;
extern UiBoolParameter GUID_CHANGES;
extern IntChoiceParameter MATCHING_DEPTH;
extern UiBoolParameter LIGHT_AIRCRAFT;
extern UiBoolParameter HELICOPTERS;
extern UiBoolParameter HIGH_PERF_AIRCRAFT;
extern UiBoolParameter CALLSIGN_OBJECTIDS;
extern IntChoiceParameter RANGE;
extern UiBoolParameter AUTO_RANGE;
extern IntChoiceParameter AR_ABOVE_HEIGHT;
extern UiIntParameter TIME_SHIFT_HOURS;
extern UiBoolParameter SIM_TIME;
extern UiStringParameter CALLSIGN_2_OBJECTID;
extern UiStringParameter BLOCK_CALLSIGN;
extern UiIntParameter TIME_SHIFT_DAYS;
extern UiBoolParameter COLLISION_USER_AIR;
extern UiBoolParameter COLLISION_USER_GND;
extern UiBoolParameter COLLISION_LIVE_PARKED_GND;
extern UiIntParameter TIME_SHIFT_MINS;
extern UiBoolParameter KEEP_SIM_TIME_PAR;
extern IntChoiceParameter MAX_PARK_SEL;
extern IntChoiceParameter MAX_LIVE_SEL;
extern UiBoolParameter STRAIGHT_PBS_ONLY;
extern UiStringParameter DESTINATION;
extern IntChoiceParameter AIRP_RANGE;
extern IntChoiceParameter AIRP_HEIGHT;
extern UiIntParameter parking_percentage;
extern UiBoolParameter INITIAL_LOAD_ONLY;
extern UiBoolParameter PARK_SOFT;
extern UiBoolParameter PARK_FAKE;
extern UiIntParameter MAX_FIT;
extern UiBoolParameter WEEK;
extern UiFloatParameter MAX_FIT_FL;
extern UiBoolParameter RT_PARKTRAFFIC_ONLY;

// the buttons of the options panel (caption, id, row)
extern UiButton g_unblockButton;
extern UiButton g_rereadButton;
extern UiButton g_flushStaticButton;

// options without a control
extern BoolParameter MSFS_2020;
extern IntParameter MAX_LIVE;
extern IntParameter LATERAL_RANGE;
extern IntParameter HOLDING_THRESHOLD_METERS;
extern IntParameter MAX_HOLDING_MINUTES;
extern IntParameter CUSTOM_PARKING_PERCENTAGE;
extern IntParameter LAST_EPOCH_TIME; // key "LAST_EPOCH_TIME:" with its colon
extern IntParameter AI_PACKAGE_ORDER;
extern IntParameter AUTO_RANGE_ABOVE_HEIGHT;
extern IntParameter CUSTOM_MAX_PARK;
extern IntParameter AIRPORT_RANGE;
extern IntParameter AIRPORT_HEIGHT;
extern IntParameter MAIN_WINDOW_X; // the main window's position, saved when the window closes
extern IntParameter MAIN_WINDOW_Y;
extern StringParameter PROGRAM_VERSION;
extern StringParameter PROGRAM_INSTALL_PATH;
extern StringParameter MSFS_INSTALL_PATH;
extern StringParameter MSFS_2024_INSTALL_PATH;
extern StringParameter DBASE_VERSION;
extern StringParameter AIG_VERSION;
extern StringParameter MYSIMADDON24_VERSION;
// the user's own livery folders
extern StringParameter lfolder0;
extern StringParameter lfolder1;
extern StringParameter lfolder2;
extern StringParameter lfolder3;
extern StringParameter lfolder4;
extern StringParameter lfolder5;
extern StringParameter lfolder6;
extern StringParameter lfolder7;
extern StringParameter lfolder8;
extern StringParameter lfolder9;

// RANGE in nautical miles, and the radius in metres of the simulator's aircraft-in-range request;
// both follow RANGE through gf_setRange only.
extern std::atomic<double> g_rangeNm;
extern std::atomic<std::int32_t> g_rangeMeters;

// Copies of option keys: the parameter names of the airport parking files.
extern const std::string g_lateralRangeKey;
extern const std::string g_autoRangeKey;
extern const std::string g_initialLoadOnlyKey;
extern const std::string g_parkSoftKey;
extern const std::string g_parkFakeKey;
extern const std::string g_parkingPercentageKey;
extern const std::string g_maxFitKey;
extern const std::string g_weekKey;
extern const std::string g_rtParkTrafficOnlyKey;
extern const std::string g_learnSoftKey;
extern const std::string g_maxLiveKey;

// The meta-information records of the written XML files ("author", "date", "version",
// "copyright", "MSFS"); the meta reader stores what it finds in their values.
extern StringParameter g_metaAuthor;
extern StringParameter g_metaDate;
extern StringParameter g_metaVersion;
extern StringParameter g_metaCopyright;
extern StringParameter g_metaMsfs;

// Every option above (not the buttons, not the meta records), in table order. For resets and checks;
// code names the option it needs.
const std::vector<Parameter*>& gf_allOptions();
const std::vector<UiButton*>& gf_allButtons();

// Every option, meta record and the range globals back to their start values (tests, and nothing else).
void gf_resetOptions();
