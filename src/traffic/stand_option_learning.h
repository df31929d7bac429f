#pragma once
// Learning the park airport's stands from the live aircraft standing on them: an option per
// aircraft and week day, its half hours filled over one stay. Control thread.
#include "airports/stand.h"
#include "foundation/half_hours.h"
#include "traffic/live_ac.h"
#include "traffic/stand_learning.h"

#include <cstdint>
#include <string_view>

// The longest stay (half hours) that one option is filled over: 12 for cargo, 8 for Heavy, else 6.
std::int32_t gf_longestFilledStay(const LiveAc& ac);
// Extends the stay's option over the half hours since it was last counted; on a new day the
// aircraft's option of that day continues it. False when the stay is too long or went backwards:
// the caller starts a new option.
bool gf_fillStayOption(WeekPoint now, Stand& stand, StandStay& stay, const LiveAc& ac, std::string_view key,
                       bool real);
// Installs the learning into g_addStandOption.
void gf_installStandLearning();
