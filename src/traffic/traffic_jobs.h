#pragma once
// What the run and the tick ask of the traffic manager. The control thread makes every call.
#include "simlink/sim_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// ---- containers and the per-pass work
// Reserves the traffic containers (once per process).
void gf_initTrafficContainers();
// Empties the traffic containers and the per-run traffic state (before a restart).
void gf_resetTrafficState();
// The whole per-pass work: object list, update of every live aircraft with the hand-over of
// positions, removals and creations at their paces, feed records, the in-range request, the
// copy of the user data every 100th pass; at its end g_tick advances by one.
void gf_handleAddingStack();
// Takes the reports of the simulator link out of the object list and applies them.
void gf_processObjectList();

// ---- the per-update work over the aircraft lists
// Live aircraft that are "active" and not "parked".
std::int32_t gf_countActiveLiveAc();
// "Active" parked live aircraft; with refresh the mean parked time for the window is renewed.
std::int32_t gf_countParkedLiveAc(bool refresh);
// Static aircraft in the simulator; with withMean their mean parked time is renewed.
std::int32_t gf_countStaticAcInSim(bool withMean);
// The front entry of the duplicate-check list: its live aircraft has its coupled callsigns
// searched once and its duplicates removed; an entry whose aircraft is gone is dropped.
void gf_checkNextDuplicate(std::uint64_t timeSlot);
// Object id of the "active" live aircraft with this callsign.
std::optional<std::uint32_t> gf_activeLiveObjectId(std::string_view callsign);
// At most one aircraft removed that comes too close to the user aircraft (ground or air rules).
void gf_avoidCollisionWithUser(const UserAcData& user, bool userOnGround);
// Live aircraft taxiing or parking that have moved are kept clear of static aircraft.
void gf_avoidLiveParkedCollisions();
// Removes the first "active" live aircraft with this callsign; false when there is none.
bool gf_removeActiveLiveAcByCallsign(std::string_view callsign);
// Removes at most one "active" static aircraft that an active live aircraft on the ground duplicates.
void gf_removeStaticDuplicateOfLiveAc();
// After a new time shift: the live aircraft leave the simulator (or never reach it).
void gf_removeLiveAcForTimeShift();
// Every static aircraft leaves the simulator; waiting creations are withdrawn.
void gf_removeAllStaticAc();
// The noted user position and the followed object forgotten (a new run).
void gf_resetUpdateJobs();

// ---- identity lists
void gf_logNoMatchList();
// Forgets the livery titles remembered per hex id.
void gf_clearRememberedLiveries();
// Empties the per-run list of ghost callsigns.
void gf_clearGhostCallsigns();

// ---- park airport, stands and static parking
// Once at the start of the tick loop (true), then on every 16th user-data update (false).
void gf_handleParkAirports(bool firstCall);
bool gf_reservedStandNamed();
void gf_freeReservedStand();
// Re-reads the park-airport list; with takeUserStand the remembered stand becomes the
// reserved one. `message` receives a status text, empty when there is none.
void gf_checkParkAirportsAndStands(bool takeUserStand, std::string& message);
// Second phase of a static parking recalculation.
void gf_adjustParking(bool parkTrafficOnly);
void gf_removeGroundAndStaticAc();
// Writes the callsign to object id list for the 2020 simulator: the active live aircraft, sorted.
void gf_writeCallsign2ObjectId();
inline constexpr std::string_view g_callsignListFile = "Callsign2ObjectId.txt"; // in the working folder
