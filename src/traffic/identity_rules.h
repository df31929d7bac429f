#pragma once
// The rules that keep one aircraft one record: remembered and refused liveries, aircraft without
// a livery, ghosts (provisional callsigns ending in "_") and the respawn check of feed records.
#include "feed/feed_record.h"
#include "traffic/live_ac.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A ghost's provisional callsign ends in "_".
inline bool gf_endsWithUnderscore(std::string_view cs) { return !cs.empty() && cs.back() == '_'; }

// The title last chosen for a hex id; empty when none, or when the simulator refused it since.
std::string_view gf_rememberedLivery(std::uint32_t hexid);
void gf_rememberLivery(std::uint32_t hexid, std::string_view title);
void gf_forgetLivery(std::uint32_t hexid);

// The simulator could not create the aircraft with its title. The 20th refused title raises
// brv::UserErrorException 81.
void gf_refuseLivery(const AcRecord& ac);
bool gf_isRefusedTitle(std::string_view title);
// "  " and "type airline" of every refused aircraft kind.
std::vector<std::string> gf_getRefusedLiveries();
// The refused titles are kept for the whole process; tests start afresh.
void gf_resetRefusedLiveries();

void gf_addNoMatch(const std::string& key);
bool gf_hasNoMatch(const std::string& key);
void gf_clearNoMatchList();

bool gf_isGhostCallsign(std::string_view callsign);
// The aircraft flying as cs + "_" is a ghost of cs: it is listed and removed.
void gf_checkGhost(std::string_view callsign);
// A live aircraft not being removed carries the callsign without its final "_".
bool gf_realTwinExists(std::string_view ghostCallsign);

// False: the record is to be ignored. A buffered aircraft takes over the record's identity; an
// active one whose route, registration, operator or callsign changed is respawned (GUID_CHANGES),
// one on the ground with a new route taxis again.
bool gf_checkRespawn(LiveAc& ac, const FeedRecord& record);
// Out of the simulator, to be created again from its current position with the livery it has then.
void liveryRespawn(LiveAc& ac);

// The first active static aircraft that stands for the new live one (same real hex id, same
// registration, or a coupled callsign in common) is removed.
void gf_removeDuplicatesOfNewAc(const LiveAc& ac, bool onGround);
// The first active static aircraft that the live one, moving on the ground, would touch is removed.
void gf_avoidCollisionWithStatic(LiveAc& ac);
