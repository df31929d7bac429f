// The livery tables built from the scanned liveries: titles by airline and type, cargo apart,
// special registrations, the category lists, similar types, and a rebuild.
#include "livery_test_support.h"

namespace {

class LiveryTablesTest : public LiveryTest {
protected:
    // Builds the tables straight from records, as a start-up does after reading the file.
    static void buildFrom(const std::vector<LiveryLine>& liveries)
    {
        g_liveryRecords.clear();
        for (const auto& l : liveries)
            g_liveryRecords.push_back({l.airl, l.type, l.title, l.atcid, 0, l.cargo});
        gf_sortLiveryRecords(g_liveryRecords);
        gf_buildLiveryTitles();
        gf_buildAirlineTables();
        gf_buildTypeTables();
    }
};

TEST_F(LiveryTablesTest, RealisticListFillsEveryTable)
{
    std::uint64_t shownCount = 0;
    gf_installLiveryCountHook([&](std::uint64_t count) { shownCount = count; });
    processRealisticLiveries();
    const auto& t = g_liveryTables;

    EXPECT_EQ(shownCount, g_realisticLiveries.size());
    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_TRUE(g_liveryRecords.empty());

    // the store owns each title once, in title order per airline and type
    EXPECT_EQ(t.liveryTitles.size(), 6u);
    const auto& dlhA320 = t.liveryTitles.at("DLH").at("A320");
    ASSERT_EQ(dlhA320.size(), 2u);
    EXPECT_EQ(dlhA320[0].title, "Airbus A320 Lufthansa");
    EXPECT_EQ(dlhA320[1].title, "Airbus A320 Lufthansa Retro");
    EXPECT_EQ(dlhA320[1].title.capacity(), std::string(dlhA320[1].title).capacity());

    // cargo and passenger tables apart: what the matching makes of them is checked with it
    EXPECT_EQ(textsOf(t.typeTitles[0].at("B744")),
              (std::set<std::string>{"Boeing 747-400 Lufthansa", "Boeing 747-400 British Airways",
                                     "Boeing 747-400 UPS Passenger", "Boeing 747-400 House Colours"}));
    EXPECT_EQ(t.typeTitles[1].at("B744").size(), 2u);
    EXPECT_FALSE(t.typeTitles[0].contains("B77W") || t.airlineTypeTitles[0].contains("GEC"));

    // painted registrations and the shipped list
    EXPECT_EQ(t.specialRegistrations.at("D-AIZR"), "Airbus A320 Lufthansa Retro");
    EXPECT_EQ(t.specialRegistrations.at("N571UP"), "Boeing 747-400F UPS");
    EXPECT_EQ(t.specialRegistrations.at("D-ABVZ"), "Boeing 747-400 Lufthansa");
    EXPECT_EQ(t.specialRegistrations.at("D-AIZR").data(), dlhA320[1].title.data());
    EXPECT_EQ(t.specialTitles, std::vector<std::string_view>{"Airbus A320 Lufthansa Retro"});

    // category lists
    EXPECT_EQ(t.lightLiveryTypes, (std::vector<std::string>{"C172", "PA28"}));
    EXPECT_EQ(t.buzjetLiveryTypes, std::vector<std::string>{"C25C"});
    EXPECT_EQ(t.rotorcraftLiveryTypes, std::vector<std::string>{"EC35"});

    expectLogged({"\n17 liveries read from output/LiveriesScanned.xml\n", "\n5 registration codes\n",
                  "\n6 airlines, 8 pax aircraft models and 2 cargo aircraft models\n",
                  "\nCategory Light: 2 pax liveries\n  C172,PA28\n", "\nCategory Buzjets: 1 pax liverie\n  C25C\n",
                  "\nCategory Large: 5 pax liveries\n  A319,A320,A321\n",
                  "\nCategory Heavy: 4 pax liveries and 4 cargo liveries\n  B744,B77W\n",
                  "\nCategory HighPerf: No livery found\n", "\nCategory Rotorcraft: 1 pax liverie\n  EC35\n",
                  "HIGH_PERF_AIRCRAFT temporarily switched off because you do not have High Perf aircraft installed"});
    EXPECT_FALSE(HIGH_PERF_AIRCRAFT.value.load());
    EXPECT_TRUE(LIGHT_AIRCRAFT.value.load());
}

TEST_F(LiveryTablesTest, AFailedReadBuildsNothingASecondStartUpKeepsTheTablesAndAClearingEmptiesThem)
{
    EXPECT_THROW(gf_processScannedLiveries(), brv::UserErrorException);
    EXPECT_FALSE(g_liveriesProcessed);
    EXPECT_TRUE(g_liveryTables.liveryTitles.empty());

    processRealisticLiveries();
    const auto* stored = gf_findLiveryTitle("Boeing 747-400F UPS").data();
    writeLiveries({{"AAA", "A320", "Another", "", false}});
    g_liveryRecords = {{"X", "Y", "Z", "", 0, false}};
    gf_processScannedLiveries();
    EXPECT_EQ(gf_findLiveryTitle("Boeing 747-400F UPS").data(), stored);
    EXPECT_TRUE(gf_findLiveryTitle("Another").empty());
    EXPECT_TRUE(g_liveryRecords.empty());

    g_liveryTables.dontUseTitles.push_back("kept");
    g_liveryTables.matchCounts[1] = 3;
    ASSERT_FALSE(g_liveryTables.installedSimilarTypes.empty());
    gf_clearLiveryTables();
    g_liveriesProcessed = false;
    const auto& t = g_liveryTables;
    EXPECT_TRUE(t.liveryTitles.empty() && t.typeTitles[0].empty() && t.typeTitles[1].empty());
    EXPECT_TRUE(t.airlineTypeTitles[0].empty() && t.airlineTypeTitles[1].empty());
    EXPECT_TRUE(gf_regcodeTables().specialRegistrations.empty() && gf_regcodeTables().specialTitles.empty());
    EXPECT_TRUE(t.lightLiveryTypes.empty() && t.buzjetLiveryTypes.empty() && t.rotorcraftLiveryTypes.empty());
    EXPECT_TRUE(gf_findLiveryTitle("Boeing 747-400F UPS").empty());
    // what the clearing leaves alone
    EXPECT_EQ(t.dontUseTitles, std::vector<std::string>{"kept"});
    EXPECT_EQ(t.matchCounts[1].load(), 3);
    EXPECT_FALSE(t.installedSimilarTypes.empty());

    // and the next start-up builds them again
    gf_processScannedLiveries();
    EXPECT_EQ(gf_findLiveryTitle("Another"), "Another");
    EXPECT_EQ(g_liveryTables.liveryTitles.size(), 1u);
    EXPECT_THAT(log(), HasSubstr("\nProcessing scanned liveries skipped; already done in previous start-up\n"));
}

TEST_F(LiveryTablesTest, LiveriesWithoutATypeStayUnderTheirAirlineAndCodesAreCutToThree)
{
    buildFrom({{"DLH", "", "No Type Lufthansa", "", false},
               {"GEC", "", "No Type Cargo", "", true},
               {"DLH", "A320", "Airbus A320 Lufthansa", "", false},
               {"GEC", "B77W", "Boeing 777F", "", true},
               {"ZZZX", "C172", "Cessna", "", false},
               {"ZZZX", "C152", "Cessna 152", "", false}});
    const auto& t = g_liveryTables;
    // not filed under the next type
    EXPECT_EQ(textsOf(t.typeTitles[0].at("A320")), std::set<std::string>{"Airbus A320 Lufthansa"});
    EXPECT_EQ(textsOf(t.typeTitles[1].at("B77W")), std::set<std::string>{"Boeing 777F"});
    EXPECT_FALSE(t.typeTitles[0].contains("") || t.typeTitles[1].contains(""));
    EXPECT_EQ(gf_findLiveryTitle("No Type Lufthansa"), "No Type Lufthansa");

    EXPECT_THAT(gf_liveryAirlines(), ::testing::UnorderedElementsAre("DLH", "GEC", "ZZZ"));
    EXPECT_TRUE(gf_airlineHasType("ZZZX", "C152"));
    EXPECT_FALSE(gf_airlineHasType("ZZZX", "A320"));
    EXPECT_FALSE(gf_airlineHasType("ZZZ", "C152"));
    EXPECT_TRUE(gf_findLiveryTitle("Cessna 172").empty());
}

TEST_F(LiveryTablesTest, CategoryListsTheirTypesAndHelicoptersSwitchedOffOnceWhenNoneAreInstalled)
{
    EXPECT_EQ(gf_randomLightType(), "");
    std::vector<std::string> types;
    std::vector<std::string> expected{"  ", "  ", "  "};
    for (int i = 0; i < 41; ++i) {
        types.push_back(fmt::format("L{:03}", i));
        expected[static_cast<std::size_t>(i / 20)] += (i % 20 == 0 ? "" : ",") + types.back();
    }
    gf_logCategoryTypes(true, false, false, types);
    EXPECT_EQ(g_liveryTables.lightLiveryTypes, types);
    std::vector<std::string> typeLines;
    for (const auto& line : readLines("Log.txt"))
        if (line.starts_with("  L"))
            typeLines.push_back(line);
    EXPECT_EQ(typeLines, expected); // twenty to a line
    g_liveryTables.buzjetLiveryTypes = {"C25C", "GLF6", "LJ45"};
    std::set<std::string> seen;
    for (int i = 0; i < 60; ++i)
        seen.insert(gf_randomBuzjetType());
    EXPECT_EQ(seen, (std::set<std::string>{"C25C", "GLF6", "LJ45"}));

    fs::create_directories(g_dataFolder);
    HELICOPTERS.value = true;
    gf_summariseCategory(SizeClass::Rotorcraft);
    EXPECT_FALSE(HELICOPTERS.value.load());
    EXPECT_THAT(readFile(g_parametersPath), HasSubstr("name=\"HELICOPTERS\" value=\"false\""));
    gf_summariseCategory(SizeClass::Rotorcraft); // already off: only the category line
    const std::string text = log();
    EXPECT_EQ(countOf(text, "Category Rotorcraft: No livery found\n"), 2u);
    EXPECT_EQ(countOf(text, "HELICOPTERS temporarily switched off because you do not have Helicopters installed\n"),
              1u);
}

TEST_F(LiveryTablesTest, SimilarTypesOfInstalledLiveries)
{
    // A318, A319, A320, A321 similar; liveries of A320 (DLH, ZZZ) and A319 (BAW) only
    buildFrom({{"DLH", "A320", "Airbus A320 Lufthansa", "", false},
               {"ZZZ", "A320", "Airbus A320 House", "", false},
               {"BAW", "A319", "Airbus A319 British Airways", "", false},
               {"FLY", "C172", "Cessna", "", false}});
    gf_buildSimilarModels();
    const auto& similar = g_liveryTables.installedSimilarTypes;
    EXPECT_EQ(similar.at("A318"), (std::vector<std::string>{"A319", "A320"}));
    EXPECT_EQ(similar.at("A320"), std::vector<std::string>{"A319"});
    EXPECT_EQ(similar.at("C150"), std::vector<std::string>{"C172"});
    EXPECT_FALSE(similar.contains("C172")); // its group holds no other installed type

    EXPECT_EQ(gf_similarTypesForAirline("DLH", "A321"), std::vector<std::string>{"A320"});
    EXPECT_EQ(gf_similarTypesForAirline("BAW", "A320"), std::vector<std::string>{"A319"});
    EXPECT_TRUE(gf_similarTypesForAirline("DLH", "A320").empty()); // it has the type itself
    EXPECT_EQ(&gf_similarTypesForAirline("XXX", "A320"), &gf_emptyCandidateList());

    // a later build adds only new keys
    g_liveryTables.installedSimilarTypes["A318"] = {"kept"};
    gf_buildSimilarModels();
    EXPECT_EQ(similar.at("A318"), std::vector<std::string>{"kept"});
    EXPECT_THAT(log(), HasSubstr("\n6 similar model definitions\n"));
}

} // namespace
