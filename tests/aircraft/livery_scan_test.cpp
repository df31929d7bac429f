// The livery scan over package trees made here: every kind of good and broken aircraft.cfg gives
// exactly the expected records and report lines, the result does not depend on the number of
// tasks, and a stop, a failing task or a hanging task cost only what they must.
#include "aircraft/aircraft_cfg_reader.h"
#include "aircraft/liveries_scanned.h"
#include "aircraft/livery_scan.h"
#include "foundation/parameter_file.h"
#include "foundation/user_error.h"
#include "platform/clock.h"
#include "scan_test_support.h"

#include <atomic>
#include <thread>

using namespace aircrafttest;

namespace {

const std::string g_aig = "Community/aig-aitraffic-oci";
const std::string g_planes = g_aig + "/SimObjects/Airplanes";
const std::string g_ivao = "Community/IVAO_MTL";
const std::string g_ivaoB738 = g_ivao + "/SimObjects/Airplanes/IVAO_B738";

std::string lf_utf16le(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii)
        bytes += c == '\n' ? std::string("\r\0\n\0", 4) : std::string{c, '\0'};
    return bytes;
}

// One tree with every kind of file a user's packages hold.
void lf_buildTree()
{
    const std::string p = g_planes;
    baseContainer(p + "/AIG_A320", "A320");
    const std::string dlh = liveryCfg("..\\Asobo_A320_NEO", {{"AIG A320neo Lufthansa", "DLH", "D-AINA"},
                                                              {"AIG A320neo Lufthansa Cargo", "DLH", "", "CARGO"},
                                                              {"AIG A320neo Retired", "DLH", ""}});
    writeFile(p + "/AIG_A320_DLH/aircraft.cfg", dlh);
    writeFile(p + "/AIG_A320_DLH_copy/aircraft.cfg", liveryCfg("../Asobo_A320_NEO", {{"AIG A320neo Lufthansa", "DLH", "D-AINA"}}));
    writeFile(p + "/AIG_A320_BAW/AIRCRAFT.CFG",
              liveryCfg("..\\AIG_A320", {{"AIG A320 British Airways", "BAWX", "G-EUPA;painted 2019"}},
                        "[GENERAL]\nicao_type_designator = A32N\n\n"));
    writeFile(p + "/AIG_A320_BAW/aircraft.cfg.bak", dlh);
    writeFile(p + "/AIG_A320_BAW/aircraft_old.cfg", dlh);
    writeFile(p + "/AIG_A320_MISC/aircraft.cfg",
              "; Lufthansa Gep\xE4\x63k livery pack\n" +
                  liveryCfg("..\\Asobo_A320_NEO", {{"AIG A320neo Air France", "AFR", "F-HEPA, F-HEPB"},
                                                    {"AIG A320neo Unknown", "XQZ", ""},
                                                    {"AIG A320neo Charter", "RFO", ""},
                                                    {"AIG A320neo House", "ZZZZ", "F-WXYZ"}}) +
                  "[FLTSIM.4]\ntitle = AIG A320neo Double\nicao_airline = DLH\nicao_airline = BAW\n\n"
                  "[FLTSIM.5]\nicao_airline = DLH\natc_id = D-AIQA\n\n"
                  "[FLTSIM.6]\ntitle = AIG A320neo Star\nicao_airline = DLH\natc_id = D-A*BC\n\n"
                  "[GENERAL]\natc_type = \"AIRBUS\"\n");
    writeFile(p + "/AIG_B744_misc/aircraft.cfg",
              lf_utf16le("[GENERAL]\nicao_type_designator = \"B744\"\n\n" +
                         fltsimSection(0, {"AIG 747 Lufthansa", "DLH", "D-ABVY"}) +
                         fltsimSection(1, {"AIG 747 Private", "-", ""}) +
                         fltsimSection(2, {"AIG 747 UPS Freighter", "UPS", "N12345", "CARGO,RAMP"})));
    writeFile(p + "/AIG_C172/aircraft.cfg", "[GENERAL]\r\nicao_type_designator = \"C172\"\r\n\r\n" +
                                                 fltsimSection(0, {"C172 Skyhawk N5555 private", "-", ""}));
    writeFile(p + "/AIG_bad_type/aircraft.cfg", liveryCfg("..\\X", {{"AIG Bad Type", "DLH", ""}},
                                                          "[GENERAL]\nicao_type_designator = A3XX\n"));
    writeFile(p + "/AIG_no_model/aircraft.cfg", liveryCfg("..\\FAIB_A320", {{"AIG No Model", "DLH", ""}}));
    writeFile(p + "/AIG_big_number/aircraft.cfg", "[GENERAL]\nicao_type_designator = A320\n[fltsim.10001]\n"
                                                  "title = AIG Big\nicao_airline = DLH\n");
    writeFile(g_aig + "/SimObjects/my-airports/AIG_X/aircraft.cfg",
              liveryCfg("..\\Asobo_A320_NEO", {{"AIG Never Read", "DLH", ""}}));

    const std::string ivao = "[fltsim.0]\ntitle=B738DLH Lufthansa\ntexture=DLH\natc_id=D-ABCD\n"
                             "[fltsim.1]\ntitle=b738 BAW British\ntexture=BAW\n"
                             "[fltsim.2]\ntitle=B738XYZ Unknown\ntexture=XYZ\n"
                             "[fltsim.3]\ntitle=B738DLH Missing texture\ntexture=NOPE\n"
                             "[fltsim.4]\ntitle=Boeing Lufthansa\ntexture=DLH\n";
    writeFile(g_ivaoB738 + "/aircraft.cfg", ivao);
    for (const char* texture : {"texture.DLH", "texture.BAW", "texture.xyz"})
        fs::create_directories(g_ivaoB738 + "/" + texture);
}

// The code of the user error the scan raises; 0 when it raises none.
int lf_userErrorOfScan()
{
    try {
        gf_scanLiveries();
    } catch (const brv::UserErrorException& e) {
        return e.code();
    }
    return 0;
}

class LiveryScanTest : public ScanTest {
protected:
    void SetUp() override
    {
        ScanTest::SetUp();
        lf_buildTree();
        writeEncrypted(g_regcodesEncPath, "<?xml version=\"1.0\"?>\n<AIG-regcodes>\n"
                                          "<livery title=\"AIG A320neo Retired\" reg=\"\"/>\n</AIG-regcodes>\n");
    }
};

TEST_F(LiveryScanTest, EveryKindOfFileGivesTheExpectedRecordsAndReports)
{
    const std::string p = g_planes;
    writeFile("Community/notes.txt", "x");
    ASSERT_EQ(gf_scanLiveryFolders({g_aig, "", "Community/missing", "Community/notes.txt/sub", g_ivao}),
              ScanOutcome::Found);

    gf_readLiveriesScanned();
    std::vector<std::tuple<std::string, std::string, std::string, std::string, bool>> records;
    for (const auto& r : g_liveryRecords)
        records.emplace_back(r.airl, r.type, r.title, r.atcid, r.cargo);
    const decltype(records) expected{
        {"AFR", "A20N", "AIG A320neo Air France", "", false},
        {"BAW", "A319", "AIG A320 British Airways", "G-EUPA", false},
        {"BAW", "B738", "b738 BAW British", "", false},
        {"DLH", "A20N", "AIG A320neo Lufthansa", "D-AINA", false},
        {"DLH", "A20N", "AIG A320neo Lufthansa Cargo", "", true},
        {"DLH", "A20N", "AIG A320neo Star", "", false},
        {"DLH", "B738", "B738DLH Lufthansa", "D-ABCD", false},
        {"DLH", "B744", "AIG 747 Lufthansa", "D-ABVY", false},
        {"PVT", "A20N", "AIG A320neo Unknown", "", false},
        {"PVT", "C172", "C172 Skyhawk N5555 private", "N5555", false},
        {"UPS", "B744", "AIG 747 UPS Freighter", "N12345", true},
        {"ZZZ", "A20N", "AIG A320neo House", "", false},
    };
    EXPECT_EQ(records, expected);

    EXPECT_EQ(lines(g_invalidAirlineCodesPath),
              (std::vector<std::string>{"XQZ          in " + p + "/AIG_A320_MISC/aircraft.cfg [FLTSIM.1]",
                                        "XYZ          in " + g_ivaoB738 + "/aircraft.cfg [fltsim.2]"}));
    EXPECT_EQ(lines(g_invalidAircraftCodesPath),
              (std::vector<std::string>{"A3XX             in " + p + "/AIG_bad_type/aircraft.cfg"}));
    EXPECT_EQ(lines(g_fixesPath), (std::vector<std::string>{"Model fix: A32N found in " + p +
                                                            "/AIG_A320_BAW/AIRCRAFT.CFG changed into A20N"}));
    EXPECT_EQ(lines(g_invalidCfgFilesPath),
              (std::vector<std::string>{
                  p + "/AIG_big_number/aircraft.cfg contains a [fltsim.x] section with a number < 0 or > 10000",
                  "Line icao_type_designator= is missing in [General] section of " + p + "/AIG_no_model/aircraft.cfg"}));
    EXPECT_EQ(lines(g_noFltsimSectionPath), (std::vector<std::string>{p + "/AIG_A320/aircraft.cfg"}));
    EXPECT_EQ(lines(g_modelConversionsPath),
              (std::vector<std::string>{fmt::format("{:80} G-EUPA model A20N => A319", "AIG A320 British Airways")}));

    // which of the two equal titles wins depends on the tasks' timing
    auto incomplete = lines(g_incompleteSectionsPath);
    const auto duplicate = std::find_if(incomplete.begin(), incomplete.end(), [](const std::string& line) {
        return line.ends_with(" [FLTSIM.0] title 'AIG A320neo Lufthansa' already exists");
    });
    ASSERT_NE(duplicate, incomplete.end());
    EXPECT_TRUE(duplicate->starts_with(p + "/AIG_A320_DLH ") || duplicate->starts_with(p + "/AIG_A320_DLH_copy "));
    incomplete.erase(duplicate);
    std::vector<std::string> expectedIncomplete{
        p + "/AIG_A320_MISC/aircraft.cfg [FLTSIM.1] icao_airline is missing, or it has invalid info ",
        p + "/AIG_A320_MISC [FLTSIM.4] has more than one icao_airline key",
        p + "/AIG_A320_MISC [FLTSIM.5] misses title",
        "invalid atc_id=D-A*BC in: AIG A320neo Star",
        p + "/AIG_B744_misc/aircraft.cfg [FLTSIM.1] icao_airline is missing, or it has invalid info ",
        "'" + p + "/AIG_B744_misc' '[FLTSIM.1]' has no airline and no regcode info",
        p + "/AIG_C172/aircraft.cfg [FLTSIM.0] icao_airline is missing, or it has invalid info ",
        g_ivaoB738 + "/texture.NOPE [fltsim.3] does not exist",
        g_ivaoB738 + " [fltsim.4] misses airlinecode in title: Boeing Lufthansa, and no regcode",
    };
    std::sort(expectedIncomplete.begin(), expectedIncomplete.end());
    EXPECT_EQ(incomplete, expectedIncomplete);

    const std::string logText = log();
    for (const std::string& line : std::vector<std::string>{
             "Community/missing does not exist, skipped!\n", "Community/notes.txt/sub does not exist, skipped!\n",
             "10 liveries found in " + g_aig + "\n", "2 liveries found in " + g_ivao + "\n", "12 in total\n",
             "10 incomplete [fltsim.x] sections, see output/errors/IncompleFltsimSections.txt",
             "2 invalid airline codes, see output/errors/InvalidAirlineCodes.txt",
             "1 invalid model code, see output/errors/InvalidAircraftCodes.txt"})
        EXPECT_NE(logText.find(line), std::string::npos) << line;
    // every collection is empty again for the next scan
    EXPECT_TRUE(g_incompleteSections.empty());
    EXPECT_EQ(g_scannedTitles.size(), 0u);
    EXPECT_TRUE(gf_regcodeTables().dontUseTitles.empty());
}

TEST_F(LiveryScanTest, RecordsKeepTheWalkOrderAndTasksTheirLimit)
{
    for (int i = 0; i < 12; ++i)
        writeFile(fmt::format("Community/order/L{}/aircraft.cfg", i),
                  liveryCfg("..\\X", {{fmt::format("Order {}", i), "DLH", ""}},
                            "[GENERAL]\nicao_type_designator = B738\n"));
    std::vector<std::string> walkOrder; // the order a plain listing of the folder gives
    for (const auto& entry : fs::directory_iterator("Community/order"))
        walkOrder.push_back("Order " + entry.path().filename().string().substr(1));
    g_maxTasks = 3;
    std::atomic<int> started{0}, running{0}, peak{0};
    gf_setLiveryTaskHook([&](const fs::path&) { // the first ones started end last
        const int now = ++running;
        for (int seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * (12 - started++)));
        --running;
    });
    g_liveryRecords.clear();
    gf_searchLiveriesInFolder(1, "Community/order");
    std::vector<std::string> titles;
    for (const auto& record : g_liveryRecords)
        titles.push_back(record.title);
    EXPECT_EQ(titles, walkOrder);
    EXPECT_LE(peak.load(), 3);
}

TEST_F(LiveryScanTest, AStopEndsTheScanAndKeepsTheRequest)
{
    fs::create_directories(g_outputFolder);
    writeFile(g_liveriesScannedPath, "<liveries/>");
    LIG_AUTOMATIC.value = false;
    lfolder0.value = g_aig;
    std::atomic<int> started{0};
    gf_setLiveryTaskHook([&](const fs::path&) {
        if (++started == 2)
            gf_requestStop(RunState::UserClosedSim, 0);
    });
    gf_scanLiveries(); // returns without an error and without building tables
    EXPECT_LE(started.load(), 2 + g_maxTasks.load()); // no new task after the stop
    EXPECT_TRUE(SCAN_LIVERIES.value.load());
    EXPECT_FALSE(fs::exists(g_liveriesScannedPath));
    EXPECT_FALSE(g_liveriesProcessed.load());
    EXPECT_EQ(g_runningTasks.load(), 0);
}

TEST_F(LiveryScanTest, AFailingTaskCostsOnlyItsOwnRecords)
{
    gf_setLiveryTaskHook([](const fs::path& path) {
        if (path.string().find("AIG_A320_MISC") != std::string::npos)
            throw 42; // not even a standard exception
        if (path.string().find("AIG_C172") != std::string::npos)
            throw std::runtime_error("disk gone");
        if (path.string().find("AIG_no_model") != std::string::npos)
            fs::remove(path); // gone after the walk found it: quietly nothing
    });
    ASSERT_EQ(gf_scanLiveryFolders({g_aig}), ScanOutcome::Found);
    EXPECT_EQ(g_runningTasks.load(), 0);
    const std::string logText = log();
    EXPECT_NE(logText.find("disk gone"), std::string::npos);
    EXPECT_NE(logText.find("unknown exception"), std::string::npos);
    EXPECT_EQ(logText.find("Cannot open file"), std::string::npos);
    EXPECT_NE(logText.find("5 liveries found in " + g_aig + "\n"), std::string::npos);
}

TEST_F(LiveryScanTest, ASlowTaskKeepsItsRecords)
{
    platform::ManualClock clock;
    platform::setClock(&clock);
    const std::string tenSeconds = "Future wait timed out after 10 seconds";
    gf_setLiveryTaskHook([&](const fs::path& path) {
        if (path.string().find("AIG_C172") == std::string::npos)
            return;
        // the program's clock runs on until the walk has logged the 10-second mark
        while (readFile("Log.txt").find(tenSeconds) == std::string::npos) {
            clock.advance(std::chrono::seconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const auto outcome = gf_scanLiveryFolders({g_aig});
    platform::setClock(nullptr);
    EXPECT_EQ(outcome, ScanOutcome::Found);
    const std::string logText = log();
    EXPECT_EQ(countOf(logText, tenSeconds), 1u);
    EXPECT_NE(logText.find("10 liveries found in " + g_aig + "\n"), std::string::npos);
    EXPECT_EQ(g_runningTasks.load(), 0);
}

TEST_F(LiveryScanTest, AutomaticScanTakesThePackagesInTheChosenOrder)
{
    fs::create_directories("sim/Official");
    for (const char* name : {"justflight-aircraft-traffic-fleet", "fsltl-traffic-base_CVT_", "aig-aitraffic-oci-beta",
                             "user-aitraffic-mine", "other"})
        fs::create_directories(fs::path("sim/Community") / name);
    MSFS_INSTALL_PATH.value = "sim";
    AI_PACKAGE_SELECTOR.value = "JF, AIG, FSLTL";
    std::vector<std::string> folders;
    gf_collectLiveryFolders(folders);
    EXPECT_EQ(folders, (std::vector<std::string>{"sim/Community/justflight-aircraft-traffic-fleet",
                                                 "sim/Community/aig-aitraffic-oci-beta",
                                                 "sim/Community/user-aitraffic-mine"}));
    // nothing found in them: code 43, and the request stays
    EXPECT_EQ(lf_userErrorOfScan(), 43);
    EXPECT_TRUE(SCAN_LIVERIES.value.load());

    AI_PACKAGE_SELECTOR.value = "AIG";
    EXPECT_THROW(gf_collectLiveryFolders(folders), std::runtime_error);
}

TEST_F(LiveryScanTest, ASuccessfulManualScanClearsTheRequestAndBuildsTheTables)
{
    fs::create_directories(g_dataFolder);
    LIG_AUTOMATIC.value = false;
    LIG_PRIORITIZE.value = true;
    lfolder2.value = "Community/missing";
    lfolder3.value = g_ivao;
    lfolder5.value = g_aig;
    writeFile(g_planes + "/AIG_B738_DLH/aircraft.cfg", liveryCfg("..\\AIG_B738", {{"AIG 737 Lufthansa", "DLH", ""}},
                                                                 "[GENERAL]\nicao_type_designator = B738\n"));
    gf_scanLiveries();
    EXPECT_FALSE(SCAN_LIVERIES.value.load());
    EXPECT_TRUE(g_liveriesProcessed.load());
    // the IVAO folder is number 1: its DLH B738 stays, the AIG folder's DLH B738 goes
    EXPECT_EQ(gf_findLiveryTitle("B738DLH Lufthansa"), "B738DLH Lufthansa");
    EXPECT_TRUE(gf_findLiveryTitle("AIG 737 Lufthansa").empty());
    EXPECT_EQ(gf_findLiveryTitle("AIG A320neo Star"), "AIG A320neo Star");
    EXPECT_NE(readFile(g_parametersPath).find("name=\"SCAN_LIVERIES\" value=\"false\""), std::string::npos);

    lfolder2.value = "";
    lfolder3.value = "";
    lfolder5.value = "";
    SCAN_LIVERIES.value = true;
    EXPECT_EQ(lf_userErrorOfScan(), 48);
}

TEST_F(LiveryScanTest, AScanWhoseResultCannotBeSavedIsRequestedAgain)
{
    fs::create_directories(g_dataFolder);
    gf_saveBoolParameter(SCAN_LIVERIES);
    LIG_AUTOMATIC.value = false;
    lfolder0.value = "Community/clean";
    writeFile("Community/clean/AIG_B738_DLH/aircraft.cfg",
              liveryCfg("..\\AIG_B738", {{"AIG 737 Lufthansa", "DLH", ""}}, "[GENERAL]\nicao_type_designator = B738\n"));
    // a file in the place of the output folder: the result cannot be written
    fs::remove_all(g_liveriesScannedPath.parent_path());
    writeFile(g_liveriesScannedPath.parent_path(), "x");
    EXPECT_GT(lf_userErrorOfScan(), 0);
    EXPECT_TRUE(SCAN_LIVERIES.value.load());
    EXPECT_NE(readFile(g_parametersPath).find("name=\"SCAN_LIVERIES\" value=\"true\""), std::string::npos);

    // once the file can be written, the same scan succeeds and clears the request
    fs::remove(g_liveriesScannedPath.parent_path());
    gf_scanLiveries();
    EXPECT_FALSE(SCAN_LIVERIES.value.load());
    EXPECT_NE(readFile(g_liveriesScannedPath).find("<liveries"), std::string::npos);
}

} // namespace
