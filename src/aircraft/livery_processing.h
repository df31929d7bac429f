#pragma once
// Turning LiveriesScanned.xml into the livery tables at the start-up of a run, with the summary
// per aircraft category. Control thread only, while no run is active.
#include "aircraft/size_class.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Sets the main window's livery count (liveryCount); the window is above this library and
// installs it at start. Without it the count is not shown.
using SetLiveryCountHook = std::function<void(std::uint64_t count)>;
void gf_installLiveryCountHook(SetLiveryCountHook hook);
// Shows a livery count through the hook (the scan sets 0 when it found nothing).
void gf_showLiveryCount(std::uint64_t count);

// Once per process unless the tables were cleared: reads the file and builds every table. The
// reader's brv::UserErrorException passes through; nothing is built then.
void gf_processScannedLiveries();

// Logs the liveries of one class, fills its category type list and switches the option of a
// class without liveries off (light aircraft, high performance, helicopters), its check box
// unticked and disabled; with liveries the box is enabled.
void gf_summariseCategory(SizeClass sizeClass);
// Logs the sorted types 20 to a line and appends them to the category list chosen by the flags.
void gf_logCategoryTypes(bool light, bool buzjets, bool rotorcraft, const std::vector<std::string>& types);
