#pragma once
// The park airport's learned file: the options learned at its stands, the stands changed or
// made by hand, and the airport's settings, written when the park airport is left.
#include "airports/stand.h"

#include <vector>

// The stands as the learned file takes them: the airport's own options dropped and only stands
// with something learned or set by hand kept; a handmade file takes every stand with its options.
// Made-up aircraft are never taken.
std::vector<Stand> gf_learnedStands(const std::vector<Stand>& stands, bool handmade);
// Writes the park airport's learned file and shows the outcome; true when saved. Nothing is
// written while g_learnedFileHeld is set.
bool gf_writeLearnedApf();
