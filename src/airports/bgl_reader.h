#pragma once
// The reader of the simulator's scenery BGL files: the airports of a file with their ICAO code,
// altitude, stands and helipads, each handed on to the archive link and the file generation.
// Only the fields it needs of the format are read, every one bounds-checked.
#include "airports/publisher_search.h"
#include "airports/stand.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// What the reader hands on for each airport. An empty member means: not linked, no file
// generated, an undecoded airport passed over. The add-on airport scan installs its own.
struct BglHandoff {
    // Once per file, before its first airport is linked: the publisher of the file's package.
    std::function<PublisherInfo(const std::string& bglPath)> findPublisher;
    // Before the stands are read (the BGL path set), with the file's publisher: fills the
    // publisher, manufacturer and creator; true when the airport was linked to the download
    // archive, with the archived file's stand count.
    std::function<bool(ApfParameters& params, std::int32_t& archivedCount, const PublisherInfo& publisher)>
        linkArchivedAirport;
    // After them: writes the airport parking file (helipads are the stands with `heli` set).
    std::function<void(ApfParameters& params)> generateAirportFile;
    // An airport record the reader cannot decode (2024 simulator only); the file ends there.
    std::function<void(const std::string& bglPath)> handleUnrecognisedAirport;
};

// The hand-off of the scan tasks; tests install their own.
void gf_setBglHandoff(BglHandoff handoff);

// The scan's cheap pre-check: the file's section table names an airport section. The table is
// read a block at a time; a stop request between two blocks gives false.
bool gf_bglHasAirportSection(const std::filesystem::path& path);

// The scan task of one file, with the installed hand-off; a failure is logged and raised again
// for the scan. Airports finished before it keep what was handed on. The file is read in blocks
// where it is walked, a few of them held at once; the airport sections are walked in the order of
// their records in the file. Each record is read at most once; a stop request, or more steps or
// reads than a well-formed file of its size takes, ends the walk. A walk that ends before its
// section or airport does (those limits, a size that is no multiple of 4, a record or entry beyond
// the file) says where in a report line. Of each kind of line about a stand, a helipad or such a
// stop, and of each kind of the walk's log lines, a file gives at most 5, then one line with the
// number left out.
void gf_processBGLfile(const std::filesystem::path& path);

// The airports of a file held in memory (the file's path only names it in report lines), read as
// above; returns the bytes read into the blocks. Raises std::out_of_range for a record or entry
// that claims more than the bytes hold.
std::uint64_t gf_readBglAirports(std::string_view bytes, const std::string& bglPath, const BglHandoff& handoff);
