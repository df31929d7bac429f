#pragma once
// Shared set-up of the livery scan tests: the aircraft database the scan checks against, and
// package trees laid out like real AI packages (a base container folder with model and texture
// folders, one folder per livery with its own aircraft.cfg).
#include "aircraft/livery_search.h"
#include "aircraft/scan_findings.h"
#include "aircraft/scan_reports.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "livery_test_support.h"

#include <fmt/format.h>

namespace aircrafttest {

// One [fltsim.N] section of a livery folder as packages write it.
struct Livery {
    std::string title;
    std::string airline;     // icao_airline value; "-" for no key
    std::string atcId;       // "" for no key
    std::string parking = "GATE";
};

inline std::string fltsimSection(int number, const Livery& l)
{
    std::string text = fmt::format("[FLTSIM.{}]\ntitle = \"{}\"\natc_airline = \"Some Airline\"\n", number, l.title);
    if (l.airline != "-")
        text += fmt::format("icao_airline = \"{}\"\natc_parking_codes = \"{}\"\n", l.airline, l.airline);
    text += fmt::format("atc_parking_types = \"{}\"\n", l.parking);
    if (!l.atcId.empty())
        text += fmt::format("atc_id = \"{}\"\n", l.atcId);
    return text + "isairtraffic = 1\n\n";
}

// A livery folder's aircraft.cfg: [VARIATION] with the base container, then the sections.
inline std::string liveryCfg(const std::string& baseContainer, const std::vector<Livery>& liveries,
                             const std::string& general = {})
{
    std::string text = general + "[VARIATION]\nbase_container = \"" + baseContainer + "\"\n\n";
    int number = 0;
    for (const auto& l : liveries)
        text += fltsimSection(number++, l);
    return text;
}

// A base container folder: its own aircraft.cfg (no livery section), model and texture folders.
inline void baseContainer(const fs::path& folder, const std::string& type)
{
    writeFile(folder / "aircraft.cfg", "[GENERAL]\nicao_type_designator = \"" + type + "\"\n");
    writeFile(folder / "model" / "model.cfg", "[models]\nnormal=a.xml\n");
    writeFile(folder / "texture" / "texture.cfg", "[fltsim]\nfallback.1=..\\texture\n");
}

class ScanTest : public LiveryTest {
protected:
    void SetUp() override
    {
        LiveryTest::SetUp();
        gf_clearScanReports();
        g_dbaseConversions.clear();
        gf_setLiveryTaskHook(nullptr);
        g_maxTasks = 4;
        auto& db = g_dbase;
        db.aircraftTypes = {"A20N", "A320", "A321", "B738", "B744", "B77W", "C172"};
        db.icaoAirlines = {"DLH", "BAW", "AFR", "UPS", "GEC", "ZZZ", "PVT"};
        db.typeFixes = {{"A32N", "A20N"}};
        db.records.emplace("N5555", DbaseRecord{"PVT", "C172", "", false});
        db.shortRecordKeys = {"N5555"};
    }
    void TearDown() override
    {
        gf_setLiveryTaskHook(nullptr);
        gf_clearScanReports();
        g_dbaseConversions.clear();
        gf_resetShellState();
        g_maxTasks = 1;
        LiveryTest::TearDown();
    }

    static std::vector<std::string> lines(const fs::path& path) { return readLines(path); }
};

} // namespace aircrafttest
