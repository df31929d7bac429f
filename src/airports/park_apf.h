#pragma once
// Loading the park airport: its parking file (from the user's folders, or downloaded from the
// stock or a publisher archive into airports/park_airport.xml), checked, merged with its learned
// file, filled with made-up aircraft where the user wants them, numbered, given its neighbour
// lists, installed as g_parkStands and shown. Control thread.
#include "airports/apf_file.h"
#include "airports/park_load_hooks.h"
#include "airports/stand.h"
#include "airports/stand_limit.h"
#include "foundation/shared_text.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// What the loader keeps of the park airport's file; the learning writer copies it into the
// learned file. The altitude is -1 once the park airport is left.
struct ParkApfInfo {
    std::string reference; // the park-file reference it was loaded from
    std::string airport_name;
    std::string publisher;
    std::int32_t altitude = 0; // feet
};
extern ParkApfInfo g_parkApfInfo;
// The park airport's packed quality factors.
extern PackedQf g_parkQf;
// The file's RT_traffic_week; 0 when absent.
extern std::atomic<std::int32_t> g_rtTrafficWeek;
// LEARN_SOFT may be switched on at this airport.
extern std::atomic<bool> g_learnSoftAllowed;
// The stand kept free for the user aircraft; empty = none. The feed reads a copy.
extern SharedText g_reservedStand;
// Stand updates learned since the park airport's file was loaded.
extern std::atomic<std::uint32_t> g_learnedUpdates;
// A setting that the park airport's file stores was changed: leaving the park airport writes
// its learned file.
extern std::atomic<bool> g_apfParamsChanged;
// The learned file is not written over in this visit: what the next save would lose of it could
// not be kept in a copy (set by the load).
extern std::atomic<bool> g_learnedFileHeld;
// What the main window shows of the park airport's file.
extern ParkFileDisplay g_parkFileDisplay;

// Loads the stands of parkAirport; empty on success, else the error text. The user errors 65
// (no altitude) and 94 (a stand named twice) pass out as brv::UserErrorException.
std::string gf_readParkedFile();
// Reads the parking file named by `name` (a park-file reference) into g_parkStands and `params`;
// `qf` receives its quality factors. Empty on success, "no stands found", or an error text.
std::string gf_readApf(const std::string& name, ParkApfInfo& params, PackedQf& qf);

// The file's meta block names its author, date and version.
bool gf_apfHasProvenance(const Apf& doc);
// std::length_error when the file's first parkpositions holds more than g_maxAirportStands parkpos.
void gf_checkApfStandCount(const Apf& doc);
// Replaces `stands` by every parkpos of the file's first parkpositions (fromApf 1); a name seen
// twice raises brv::UserErrorException 94 after the stands before it were read. A file of too many
// stands raises std::length_error (gf_checkApfStandCount) before `stands` is touched.
void gf_readApfStands(const Apf& doc, std::vector<Stand>& stands);
// Removes the stands from stands[from] on that overlap too many read before them
// (gf_removeCrowdedStands), with one error line naming the file when there were any; returns
// how many.
std::size_t gf_refuseCrowdedStands(std::vector<Stand>& stands, std::size_t from, const std::string& file);
// The main window's park-file fields shown again from g_parkFileDisplay.
void gf_showParkFileDisplay();

// Everything above back to its start (tests, and the start of a process).
void gf_resetParkApf();
