#pragma once
// The BGL reader's tests: a hand-off that keeps each airport handed on to the generation, read
// from bytes in memory or from a file, with the bytes read.
#include "airports/bgl_reader.h"
#include "airports_fixture.h"
#include "support/bgl_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace airportstest {

// An airport section's entry in the section table: its subsection count and table offset.
inline std::string sectionEntry(std::uint32_t table, std::uint32_t subsections = 1)
{
    return bglwriter::bytes(20, {{0, 3}, {4, 0x40000}, {8, subsections}, {12, table}});
}

// A count of this process's input so far: "rchar:" the bytes read, "syscr:" the read calls.
inline std::uint64_t processInput(const std::string& what)
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == what)
            return value;
    return 0;
}

class BglTest : public AirportsTest {
protected:
    BglTest() { handoff.generateAirportFile = [this](ApfParameters& p) { airports.push_back(p); }; }
    // "CODE:stands:feet " for each airport handed on to the generation; the bytes read in bytesRead
    std::string read(const std::string& bytes, const std::string& path = "x.bgl")
    {
        airports.clear();
        bytesRead = gf_readBglAirports(bytes, path, handoff);
        std::string text;
        for (const ApfParameters& a : airports)
            text += fmt::format("{}:{}:{} ", a.code, a.stands.size(), a.altitude);
        return text;
    }
    static bool reported(const std::string& line) { return std::ranges::count(g_scanReport.lines(), line) > 0; }
    // What the scan task hands on for the file, and the bytes it read.
    std::pair<std::string, std::uint64_t> readFromFile(const fs::path& path)
    {
        airports.clear();
        gf_setBglHandoff(handoff);
        const std::uint64_t before = processInput("rchar:");
        gf_processBGLfile(path);
        const std::uint64_t read = processInput("rchar:") - before;
        gf_setBglHandoff({});
        std::string text;
        for (const ApfParameters& a : airports)
            text += fmt::format("{}:{} ", a.code, a.stands.size());
        return {text, read};
    }

    BglHandoff handoff;
    std::vector<ApfParameters> airports;
    std::uint64_t bytesRead = 0;
};

} // namespace airportstest
