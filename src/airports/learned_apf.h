#pragma once
// The learned file of an airport merged into its stands: the per-airport option values, a
// handmade file in place of the archived stands, stands made by hand, radius and cargo
// corrections, and the options learned at each stand.
#include "airports/park_apf.h"
#include "airports/stand.h"

#include <cstdint>
#include <filesystem>
#include <vector>

// Merges the learned file at `path` into `stands`; `handmade` tells whether its stands replaced
// them. Never throws: a failure is logged and ends the merge (stands merged so far stay). A file
// that cannot be parsed, or of which anything was refused, is copied beside it (learned_copies.h),
// since the next save writes only what was taken; a file over 16 MiB is moved there unread. When
// no copy can be made, g_learnedFileHeld keeps the file from the visit's save.
void gf_readLearned(const std::filesystem::path& path, const ParkApfInfo& params, std::vector<Stand>& stands,
                    bool& handmade);
// A learned MAX_LIVE as one of MAX_LIVE_SEL's choices.
std::int32_t gf_snapMaxLive(std::int32_t value);
