#pragma once
// The park airport's learned file: the options learned at its stands, the stands changed or
// made by hand, and the airport's settings, written when the park airport is left.
#include "airports/stand.h"

#include <filesystem>
#include <string>
#include <vector>

// The stands as the learned file takes them: the airport's own options dropped and only stands
// with something learned or set by hand kept; a handmade file takes every stand with its options.
// Made-up aircraft are never taken.
std::vector<Stand> gf_learnedStands(const std::vector<Stand>& stands, bool handmade);
// Where the park airport's learned file goes: where the loader looks for it, or, for a parking
// file of the user's outside the program's folders, learned/thirdparty/<publisher>/CODE.xml, so
// that the user's own file is never written over.
std::filesystem::path gf_learnedFileFor(const std::string& reference, const std::string& publisher,
                                        const std::string& code);
// Writes the park airport's learned file and shows the outcome; true when saved.
bool gf_writeLearnedApf();
