#pragma once
// The options load at the start of every run: parameters.xml into the option objects, the one-off
// tidying after a version update, and RANGE applied.
#include "foundation/options.h"

#include <vector>

// The six lists of the load, in the order that also fixes the element order of a new file.
struct ParameterLists {
    std::vector<BoolParameter*> bools;             // without control
    std::vector<UiBoolParameter*> checkBoxBools;   // with check box
    std::vector<IntParameter*> ints;               // without shown value
    std::vector<UiIntParameter*> shownInts;        // whose control is refreshed
    std::vector<StringParameter*> texts;           // the folder options among them
    std::vector<UiStringParameter*> shownTexts;    // whose control is refreshed
    // the replaced options among them, kept only for the version update: read, never added
    std::vector<const Parameter*> conversionOnly;
};
const ParameterLists& gf_parameterLists();

// Reads parameters.xml (gf_readParameterFile with the lists above), then the version update, then
// takes the simulator in force from SIM_CHOICE and applies RANGE with gf_setRange. Runs on the
// control thread at the start of every run. A failed removal of the old installer is logged.
void gf_loadParameters();

// The simulator in force (g_msfs2020Mode, and the simulator named in written files) from SIM_CHOICE.
void gf_applySimChoice();
