#pragma once
// What the livery scan finds wrong while its tasks run: six finding lists, each behind a mutex of
// its own, the titles already made into records, and the don't-use titles indexed for the tasks.
// The report step writes the lists and empties them after each scan.
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class FindingList {
public:
    void append(std::string line);
    void reserve(std::size_t lines);
    std::vector<std::string> lines() const; // a copy, in the order appended
    std::size_t size() const;
    bool empty() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

extern FindingList g_invalidAirlineCodes; // output/errors/InvalidAirlineCodes.txt
extern FindingList g_invalidModelCodes;   // output/errors/InvalidAircraftCodes.txt
extern FindingList g_codeFixes;           // output/errors/Fixes.txt
extern FindingList g_invalidCfgFiles;     // output/errors/InvalidAircraftCfgFiles.txt
extern FindingList g_incompleteSections;  // output/errors/IncompleFltsimSections.txt
extern FindingList g_emptyCfgFiles;       // output/info/AircraftCfgWithNoFltsimSection.txt

// "{:12} in {} " and the header line.
void gf_addInvalidAirlineCode(std::string_view code, std::string_view path, std::string_view header);
// "{:16} in {}".
void gf_addInvalidModelCode(std::string_view code, std::string_view path);
void gf_addCodeFix(std::string text);
void gf_addInvalidCfgFile(std::string text);
void gf_addIncompleteSection(std::string text);

// Writes g_codeFixes to output/errors/Fixes.txt; a failure is logged.
void gf_writeCodeFixes();

// Every title that became a record in the current scan.
class TitleSet {
public:
    bool insert(const std::string& title); // false when it was there already
    std::size_t size() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::unordered_set<std::string> m_titles; // hashed: the tasks hold the lock only briefly
};

extern TitleSet g_scannedTitles;

// The don't-use titles of the registration-code tables as a set the tasks read; built before the
// walk, emptied by the report step.
void gf_indexDontUseTitles();
bool gf_isDontUseTitle(const std::string& title);
void gf_clearDontUseIndex();
