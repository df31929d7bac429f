#pragma once
// One scanned livery, and the process-wide list of them that a scan fills before it is written
// and that LiveriesScanned.xml fills when it is read back. Control thread only; no lock.
#include <cstdint>
#include <string>
#include <vector>

struct LiveryRecord {
    std::string airl;  // ICAO airline code; "ZZZ" for liveries without an airline
    std::string type;  // ICAO type designator
    std::string title; // the title the simulator creates the aircraft by
    std::string atcid; // the registration painted on the livery; may be empty
    std::uint32_t folderNumber = 0; // ordinal of the scanned folder; not written, 0 when read back
    bool cargo = false;
};

extern std::vector<LiveryRecord> g_liveryRecords;

// Airline, then type, then title, byte-wise.
bool gf_compareLiveryRecords(const LiveryRecord& a, const LiveryRecord& b);
// A stable sort by gf_compareLiveryRecords.
void gf_sortLiveryRecords(std::vector<LiveryRecord>& records);
