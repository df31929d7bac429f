#pragma once
// Updates of a stand's option list for the stand learning: the half hours and callsigns of an
// option, and the option of an aircraft on a day. Pure operations on the list they are given.
#include "airports/stand.h"
#include "foundation/half_hours.h"
#include "traffic/ac_records.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Half-hour numbers 0..47, taken from the back.
using HalfHourStack = std::vector<std::uint32_t>;

// The callsign, less a final "_", goes into the option with the id: into its empty callsign
// field, else in place of its second callsign when it differs from both.
void gf_addCallsignToOption(std::vector<StandOption>& options, std::int32_t optionId, std::string_view callsign);
// Every number of the stack into the option's half hours; false when there is no such option or
// a number is 48 or more (logged).
bool updateOptions(std::vector<StandOption>& options, const HalfHourStack& stack, std::int32_t optionId);
// A stay across midnight: the numbers from the back up to 47 into the first option (none when the
// back is 0), the rest but the bottom one into the second. True when the second option exists; a
// number outside 0..47 is logged and gives false.
bool updateOptionsWrapped(std::vector<StandOption>& options, const HalfHourStack& stack, std::int32_t firstId,
                          std::int32_t secondId);
// The half hours after lastSlot up to 47 into the first option, 0 up to nowSlot into the second,
// and the callsign into both.
void gf_recordSeenAtStand(std::vector<StandOption>& options, std::uint32_t lastSlot, std::uint32_t nowSlot,
                          std::string_view callsign, std::int32_t firstId, std::int32_t secondId);
// The option of the key (a registration, or the callsign) that holds now's half hour alone on
// now's day under the callsign (less a final "_"), or a new one with the airline and type of the
// key's database record (else the aircraft's), whose id is its place in the list. Its id; 0 for an empty key.
std::int32_t gf_findOrCreateOption(std::vector<StandOption>& options, const AcBase& ac, bool real, WeekPoint now,
                                   std::string_view callsign, std::string_view key);
