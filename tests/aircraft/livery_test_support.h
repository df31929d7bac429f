#pragma once
// Shared set-up of the livery tests: a small aircraft database, a realistic LiveriesScanned.xml
// (several airlines, cargo and passenger, painted and special registrations, generic "ZZZ"
// liveries), the livery tables installed and every option at its default.
#include "aircraft/liveries_scanned.h"
#include "aircraft/livery_match_hooks.h"
#include "aircraft/livery_matching.h"
#include "aircraft/livery_processing.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_summary.h"
#include "aircraft/livery_tables.h"
#include "aircraft/similar_types.h"
#include "aircraft_test_support.h"
#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/random.h"

#include <fmt/format.h>

#include <set>
#include <string>
#include <vector>

namespace aircrafttest {

struct LiveryLine {
    const char* airl;
    const char* type;
    const char* title;
    const char* atcid;
    bool cargo;
};

// Deliberately not in file order: the reader sorts.
inline const std::vector<LiveryLine> g_realisticLiveries{
    {"DLH", "A321", "Airbus A321 Lufthansa", "", false},
    {"DLH", "A320", "Airbus A320 Lufthansa", "", false},
    {"DLH", "A320", "Airbus A320 Lufthansa Retro", "D-AIZR", false},
    {"DLH", "B744", "Boeing 747-400 Lufthansa", "D-ABVY", false},
    {"GEC", "B77W", "Boeing 777F Lufthansa Cargo", "", true},
    {"GEC", "B77W", "Boeing 777F Lufthansa Cargo Jungle", "", true},
    {"BAW", "A319", "Airbus A319 British Airways", "", false},
    {"BAW", "B744", "Boeing 747-400 British Airways", "", false},
    {"UPS", "B744", "Boeing 747-400F UPS", "N571UP", true},
    {"UPS", "B744", "Boeing 747-400 UPS Passenger", "", false},
    {"FLY", "PA28", "Piper PA28 Flying Club", "", false},
    {"ZZZ", "A320", "Airbus A320 House Colours", "", false},
    {"ZZZ", "B744", "Boeing 747-400 House Colours", "", false},
    {"ZZZ", "C172", "FSLTL_C172 White", "", false},
    {"ZZZ", "C25C", "Citation CJ4 White", "", false},
    {"ZZZ", "EC35", "EC135 Air Rescue", "D-HDRA", false},
    {"ZZZ", "B744", "Boeing 747-400F House Colours", "", true},
};

inline std::string liveriesXml(const std::vector<LiveryLine>& liveries, const std::string& meta = {})
{
    std::string text = "<?xml version=\"1.0\"?>\n" + meta + "<liveries>\n";
    for (const auto& l : liveries)
        text += fmt::format("  <liv airl=\"{}\" type=\"{}\"{} title=\"{}\"{}/>\n", l.airl, l.type,
                            l.cargo ? " cargo=\"true\"" : "", l.title,
                            *l.atcid != '\0' ? fmt::format(" atcid=\"{}\"", l.atcid) : "");
    return text + "</liveries>\n";
}

class LiveryTest : public AircraftTest {
protected:
    void SetUp() override
    {
        AircraftTest::SetUp();
        gf_initDataPaths();
        gf_resetLiveryTables();
        gf_resetLiveryMatchHooks();
        gf_installLiveryCountHook(nullptr);
        gf_installLiveryTables();
        gf_randomGenerator().seed(20240611u);
        auto& db = g_dbase;
        db.largeTypes = {"A318", "A319", "A320", "A321"};
        db.heavyTypes = {"B744", "B77W"};
        db.buzjetTypes = {"C25C", "GLF6"};
        db.rotorcraftTypes = {"EC35", "R44"};
        db.highPerformanceTypes = {"F16"};
        db.similarTypes = {{"A318", "A319", "A320", "A321"}, {"B744", "B77W"}, {"C150", "C152", "C172"}};
        db.records = {{"G-EUPA", {"BAW", "A319", "BAW", false}},
                      {"D-AIPX", {"DLH", "A320", "DLH", false}},
                      {"N12345", {"UPS", "B744", "", true}}};
    }
    void writeLiveries(const std::vector<LiveryLine>& liveries)
    {
        writeFile(g_liveriesScannedPath, liveriesXml(liveries));
    }

    // The realistic list processed as at a start-up, with the shipped regcode list marking the
    // retro livery special.
    void processRealisticLiveries()
    {
        writeLiveries(g_realisticLiveries);
        writeEncrypted(g_regcodesEncPath,
                       "<?xml version=\"1.0\"?>\n<AIG-regcodes>\n"
                       "<livery title=\"Airbus A320 Lufthansa Retro\" reg=\"D-AIZR\" special=\"1\"/>\n"
                       "<livery title=\"Boeing 747-400 Lufthansa\" reg=\"D-ABVZ\"/>\n"
                       "</AIG-regcodes>\n");
        gf_processScannedLiveries();
    }

    static std::set<std::string> textsOf(const TitleViews& views) { return {views.begin(), views.end()}; }
};

} // namespace aircrafttest
