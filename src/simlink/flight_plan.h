#pragma once
// Flight-plan files for AI aircraft: one small file per object in a folder of its own, which
// goes with all its files at close-down.
#include "aircraft/size_class.h"

#include <cstdint>
#include <filesystem>
#include <string>

// "orig_dest" in the per-user data folder; set by gf_createFlightPlanFolder (control thread).
extern std::filesystem::path g_flightPlanFolder;

// Sets g_flightPlanFolder and creates it (and the per-user data folder) when missing; true when
// it exists afterwards. A failing status query raises std::filesystem::filesystem_error.
bool gf_createFlightPlanFolder();
// "{}.pln" of the object id; the caller joins it to g_flightPlanFolder.
std::filesystem::path gf_flightPlanPath(std::uint32_t objectId);
// Writes the flight plan of an aircraft with this origin, destination and size class (the
// flight type is "IFR" for Buzjets, Large and Heavy, else "VFR"); origin and destination are
// escaped as XML text. False when the file cannot be opened or not be written completely.
bool gf_writeFlightPlan(const std::filesystem::path& path, const std::string& origin, const std::string& destination,
                        SizeClass sizeClass);
// Removes the folder with its content; true when it does not exist afterwards.
bool gf_removeFlightPlanFolder();
