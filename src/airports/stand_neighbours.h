#pragma once
// The park airport's stands numbered, each with the stands whose circles overlap its own.
#include "airports/stand.h"

#include <cstddef>
#include <vector>

// The most stands read before it that a stand's circle may overlap: real layouts give a stand a
// handful of overlapping neighbours, so a stand overlapping more is a damaged or hostile file's.
inline constexpr std::size_t g_maxOverlappedStands = 64;

// Numbers the stands 1, 2, 3 ... in list order and gives each the ids of the other stands whose
// circles overlap its own (radius a + radius b > 1.1 x their great-circle distance), in rising
// order. Only stands near enough to overlap are compared (a grid on the globe, with cells by
// the size of the stands); returns the number of pairs whose distance was measured.
std::size_t gf_numberStands(std::vector<Stand>& stands);
// Removes, from stands[from] on in list order, each stand whose circle overlaps more than
// g_maxOverlappedStands of the stands kept before it; returns how many were removed.
std::size_t gf_removeCrowdedStands(std::vector<Stand>& stands, std::size_t from);
