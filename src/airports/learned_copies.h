#pragma once
// The copies kept beside a learned file of what the next save would lose: EDDF.xml as
// EDDF.0.xml, EDDF.1.xml ... EDDF.9.xml, each name taken once and never written over. A name
// taken by a link or a folder is passed over: only a regular file counts as a copy.
#include <cstdint>
#include <filesystem>

inline constexpr int g_learnedCopies = 10;

struct LearnedCopy {
    enum class Outcome { made, alreadyKept, allTaken } outcome = Outcome::allTaken;
    int number = -1; // the copy made or found; -1 when all are taken
};

// The file copied to the first free copy name, unless a copy holds the same bytes already.
LearnedCopy gf_keepLearnedCopy(const std::filesystem::path& path);
// The file renamed to the first free copy name, unread; it stays where it is when all are taken.
LearnedCopy gf_moveLearnedAside(const std::filesystem::path& path);
