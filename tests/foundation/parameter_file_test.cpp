#include "foundation/load_parameters.h"
#include "foundation/parameter_file.h"
#include "foundation/shell_state.h"
#include "options_file.h"

#include <algorithm>
#include <csignal>
#include <fmt/format.h>
#include <future>
#include <map>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using testsupport::Entries;

class ParameterFile : public testsupport::OptionsFileTest {
protected:
    static void readLists()
    {
        const ParameterLists& l = gf_parameterLists();
        gf_readParameterFile(l.bools, l.checkBoxBools, l.ints, l.shownInts, l.texts, l.shownTexts);
    }

    static pugi::xml_document parse(const std::string& text)
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(text.c_str()));
        return doc;
    }
};

// the options of a new file, in the order of the load's six lists, without the folder options
const Entries g_newFile{
    {"MSFS_2020", "false"}, {"SIM_TIME", "false"}, {"KEEP_SIM_TIME_PAR", "false"}, {"RT_PARKTRAFFIC_ONLY", "false"},
    {"CALLSIGN_OBJECTIDS", "false"}, {"COLLISION_USER_AIR", "true"}, {"COLLISION_USER_GND", "true"},
    {"COLLISION_LIVE_PARKED_GND", "false"}, {"SUPPRESS_STUB", "true"}, {"LOG", "true"}, {"ALWAYS_ON_TOP", "false"},
    {"SCAN_LIVERIES", "true"}, {"LIG_AUTOMATIC", "true"}, {"LIG_PRIORITIZE", "false"}, {"SCAN_AIRPORTS", "true"},
    {"LIGHT_AIRCRAFT", "true"}, {"HELICOPTERS", "true"}, {"HIGH_PERF_AIRCRAFT", "true"},
    {"NAV_LIGHTS_WHILE_PARKED", "true"}, {"AUTO_RANGE", "true"}, {"LEARN_SOFT", "true"},
    {"STRAIGHT_PBS_ONLY", "false"}, {"PARK_SOFT", "true"}, {"PARK_FAKE", "false"}, {"WEEK", "false"},
    {"INITIAL_LOAD_ONLY", "false"}, {"GUID_CHANGES", "true"}, {"CUSTOM_PARKING_PERCENTAGE", "-1"},
    {"MAIN_WINDOW_X", "400"}, {"MAIN_WINDOW_Y", "20"}, {"LATERAL_RANGE", "40"}, {"AIRPORT_RANGE", "20"},
    {"AUTO_RANGE_ABOVE_HEIGHT", "49000"}, {"AIRPORT_HEIGHT", "18000"}, {"LAST_EPOCH_TIME:", "0"},
    {"HOLDING_THRESHOLD_METERS", "250"}, {"MAX_HOLDING_MINUTES", "20"}, {"CUSTOM_MAX_PARK", "-1"}, {"MAX_LIVE", "-1"},
    {"AI_PACKAGE_ORDER", "1"}, {"MATCHING_DEPTH", "4"}, {"RANGE", "40"}, {"MAX_FIT", "47"},
    {"AR_ABOVE_HEIGHT", "48000"}, {"MAX_PARK_SEL", "500"}, {"MAX_LIVE_SEL", "500"}, {"AIRP_RANGE", "20"},
    {"AIRP_HEIGHT", "18000"}, {"TIME_SHIFT_DAYS", "0"}, {"TIME_SHIFT_HOURS", "0"}, {"TIME_SHIFT_MINS", "0"},
    {"PROGRAM_VERSION", ""}, {"MSFS_INSTALL_PATH", ""}, {"PROGRAM_INSTALL_PATH", ""}, {"AIG_VERSION", ""},
    {"DBASE_VERSION", ""}, {"MYSIMADDON24_VERSION", ""}, {"MSFS_2024_INSTALL_PATH", ""},
    {"AI_PACKAGE_SELECTOR", "AIG, FSLTL, JF"}, {"DESTINATION", ""}, {"BLOCK_CALLSIGN", ""},
    {"SIM_CHOICE", "MSFS 2020"}};

TEST_F(ParameterFile, AMissingFileIsWrittenWithEveryOptionAtItsDefaultInListOrder)
{
    RANGE.value = 5;
    BLOCK_CALLSIGN.value = "OLD";
    lfolder2.value = "/left/over";
    LOG.value = false;

    readLists();

    EXPECT_EQ(entries(), g_newFile);
    EXPECT_EQ(fmt::format("{} '{}' '{}' {}", RANGE.value.load(), BLOCK_CALLSIGN.value.get(), lfolder2.value.get(),
                          LOG.value.load()),
              "40 '' '' true");
    for (const std::string& line : {g_parametersPath + " not found, default values taken:", std::string("RANGE=40"),
                                    std::string("SIM_CHOICE=\"MSFS 2020\""), "'" + g_parametersPath + "' saved"})
        EXPECT_TRUE(folder.logHas(line)) << line;
    // the file is written with one tab per level
    EXPECT_NE(readFile().find("\n\t<parameter name=\"MSFS_2020\" value=\"false\" />"), std::string::npos);
    // banners frame the load
    const auto lines = folder.logLines();
    ASSERT_GE(lines.size(), 4U);
    EXPECT_EQ(lines[0] + "|" + lines[1], fmt::format("|{0} parameters {0}", std::string(34, '*')));
    EXPECT_EQ(lines[lines.size() - 2] + "|" + lines.back(), fmt::format("{}|", std::string(80, '*')));

    // a malformed file is replaced by the defaults
    writeFile("<parameters><parameter name=\"RANGE\" value=\"65\"></parameters");
    RANGE.value = 5;
    readLists();
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(entries(), g_newFile);
}

TEST_F(ParameterFile, AnExistingFileIsReadClampedCompletedAndTidied)
{
    const Entries stored{{"RANGE", "500"},   {"AIRP_RANGE", "7"},       {"HOLDING_THRESHOLD_METERS", "abc"},
                         {"MAX_FIT", "0x10"}, {"LOG", "yes"},           {"ALWAYS_ON_TOP", "on"},
                         {"SUPPRESS_STUB", ""}, {"lfolder3", ""},       {"lfolder1", "/my/liveries"},
                         {"OBSOLETE_THING", "kept"}, {"BLOCK_CALLSIGN", "DLH4X"}, {"LAST_EPOCH_TIME:", "1700000000"}};
    writeFile(stored);
    readLists();

    // RANGE clamped to the maximum, AIRP_RANGE inside the limits though not in the list, no digits: 0, then the minimum
    EXPECT_EQ(fmt::format("{} {} {} {} {}", RANGE.value.load(), AIRP_RANGE.value.load(),
                          HOLDING_THRESHOLD_METERS.value.load(), MAX_FIT.value.load(), LAST_EPOCH_TIME.value.load()),
              "100 7 10 16 1700000000");
    EXPECT_TRUE(LOG.value && AUTO_RANGE.value); // AUTO_RANGE missing: its default
    EXPECT_FALSE(ALWAYS_ON_TOP.value || SUPPRESS_STUB.value);
    EXPECT_EQ(lfolder3.value.get() + "|" + lfolder1.value.get() + "|" + BLOCK_CALLSIGN.value.get(),
              "|/my/liveries|DLH4X");

    // what was there keeps its place and its text; the empty folder entry is gone
    Entries expected = stored;
    expected.erase(expected.begin() + 7);
    // the missing options follow in list order with their defaults, missing folders are not added
    for (const auto& entry : g_newFile)
        if (std::none_of(stored.begin(), stored.end(), [&](const auto& s) { return s.first == entry.first; }))
            expected.push_back(entry);
    EXPECT_EQ(entries(), expected);

    EXPECT_TRUE(folder.logHas("from '" + g_parametersPath + "'"));
    for (const char* line : {"Parameter 'lfolder3' removed", "lfolder1=\"/my/liveries\"", "RANGE=100",
                             "HOLDING_THRESHOLD_METERS=10"})
        EXPECT_TRUE(folder.logHas(line)) << line;
    EXPECT_FALSE(folder.logHas("lfolder2=\"\""));
}

TEST_F(ParameterFile, BooleanTextsAreTrueOnlyWhenTheyBeginWithOneTOrY)
{
    const std::vector<std::pair<std::string, bool>> cases{{"true", true}, {"True", true}, {"Yes", true},
                                                          {"y", true},    {"1", true},    {"false", false},
                                                          {"on", false},  {"", false},    {"0", false},
                                                          {"no", false},  {" true", false}};
    for (const auto& [text, expected] : cases) {
        LOG.value = !expected;
        auto doc = parse("<parameters><parameter name=\"LOG\" value=\"" + text + "\"/></parameters>");
        EXPECT_TRUE(gf_loadBoolParameter(LOG, doc));
        EXPECT_EQ(LOG.value, expected) << '"' << text << '"';
    }
    EXPECT_TRUE(gf_loadBoolParameter(LOG, parse("<parameters><parameter name=\"LOG\"/></parameters>")));
    EXPECT_FALSE(LOG.value); // no value
    EXPECT_FALSE(gf_loadBoolParameter(LOG, parse("<parameters/>")));
    EXPECT_TRUE(LOG.value);
}

TEST_F(ParameterFile, IntegerTextsAreReadAsFarAsTheyGoAndClamped)
{
    const std::vector<std::pair<std::string, std::int32_t>> cases{
        {"65", 65}, {"500", 100}, {"abc", 2}, {"0x10", 16}, {"  25", 25}, {"30nm", 30},
        {"-7", 2},  {"99999999999", 100}, {"", 2}};
    for (const auto& [text, expected] : cases) {
        auto doc = parse("<parameters><parameter name=\"RANGE\" value=\"" + text + "\"/></parameters>");
        EXPECT_TRUE(gf_loadIntParameter(RANGE, doc, false));
        EXPECT_EQ(RANGE.value, expected) << '"' << text << '"';
    }
    auto big = parse("<parameters><parameter name=\"LAST_EPOCH_TIME:\" value=\"99999999999\"/></parameters>");
    EXPECT_TRUE(gf_loadIntParameter(LAST_EPOCH_TIME, big, false));
    EXPECT_EQ(LAST_EPOCH_TIME.value, 2147483647);
    // without the colon the key is another one
    auto noColon = parse("<parameters><parameter name=\"LAST_EPOCH_TIME\" value=\"5\"/></parameters>");
    EXPECT_FALSE(gf_loadIntParameter(LAST_EPOCH_TIME, noColon, false));
    EXPECT_EQ(LAST_EPOCH_TIME.value, 0);
    EXPECT_TRUE(folder.logLines().empty()); // logging was off
}

TEST_F(ParameterFile, OnlyTheFirstOfTwoElementsWithOneKeyIsReadAndSaved)
{
    writeFile(R"(<parameters><parameter name="MAX_FIT" value="10"/><parameter name="MAX_FIT" value="20"/></parameters>)");
    readLists();
    EXPECT_EQ(MAX_FIT.value, 10);
    MAX_FIT.value = 30;
    gf_saveIntParameter(MAX_FIT);
    const Entries file = entries();
    EXPECT_EQ(Entries(file.begin(), file.begin() + 2), (Entries{{"MAX_FIT", "30"}, {"MAX_FIT", "20"}}));
}

TEST_F(ParameterFile, SaversChangeOneElementAndKeepEverythingElse)
{
    writeFile(R"(<parameters><parameter name="OBSOLETE_THING" value="kept"/></parameters>)");
    readLists();
    Entries expected = entries();

    RANGE.value = 65;
    gf_saveIntParameter(RANGE);
    BLOCK_CALLSIGN.value = "ABC123";
    gf_saveStringParameter(BLOCK_CALLSIGN);
    LOG.value = false;
    gf_saveBoolParameter(LOG);
    gf_setStringParameter(MSFS_INSTALL_PATH, "/sim/packages");

    const std::map<std::string, std::string> changed{
        {"RANGE", "65"}, {"BLOCK_CALLSIGN", "ABC123"}, {"LOG", "false"}, {"MSFS_INSTALL_PATH", "/sim/packages"}};
    for (auto& [name, value] : expected)
        if (changed.contains(name))
            value = changed.at(name);
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(MSFS_INSTALL_PATH.value.get(), "/sim/packages");
    for (const char* line : {"RANGE=65", "BLOCK_CALLSIGN=\"ABC123\"", "LOG=false"})
        EXPECT_TRUE(folder.logHas(line)) << line;

    // an option the file does not hold yet is appended
    lfolder4.value = "/more";
    gf_saveStringParameter(lfolder4);
    EXPECT_EQ(entries().back(), (std::pair<std::string, std::string>{"lfolder4", "/more"}));

    // the next run reads what was saved
    gf_resetOptions();
    readLists();
    EXPECT_EQ(fmt::format("{} {} {} {}", RANGE.value.load(), BLOCK_CALLSIGN.value.get(), LOG.value.load(),
                          lfolder4.value.get()),
              "65 ABC123 false /more");

    // an element without a value keeps its content
    writeFile(R"(<parameters><parameter name="DESTINATION">EDDF</parameter></parameters>)");
    DESTINATION.value = "KJFK";
    gf_saveStringParameter(DESTINATION);
    EXPECT_NE(readFile().find("<parameter name=\"DESTINATION\">EDDF</parameter>"), std::string::npos);
}

TEST_F(ParameterFile, SavingWithoutAReadableFileWritesOnlyThatOption)
{
    readLists();
    std::filesystem::remove(g_parametersPath);
    MAIN_WINDOW_X.value = -1200;
    gf_saveIntParameter(MAIN_WINDOW_X);
    EXPECT_EQ(entries(), (Entries{{"MAIN_WINDOW_X", "-1200"}}));

    writeFile("not xml at all");
    SIM_CHOICE.value = "MSFS 2024";
    gf_saveStringParameter(SIM_CHOICE);
    EXPECT_EQ(entries(), (Entries{{"SIM_CHOICE", "MSFS 2024"}}));

    // the next load brings every other option back with its default
    gf_resetOptions();
    readLists();
    EXPECT_EQ(SIM_CHOICE.value.get(), "MSFS 2024");
    EXPECT_EQ(entries().size(), g_newFile.size());
}

TEST_F(ParameterFile, ASaveThatCannotWriteIsLoggedAndLeavesNothingBehind)
{
    readLists();
    const std::string before = readFile();
    std::filesystem::path seen;
    gf_setBeforeReplaceHook([&](const std::filesystem::path& temporary) {
        seen = temporary;
        EXPECT_TRUE(std::filesystem::exists(temporary));
        throw std::runtime_error("interrupted");
    });
    RANGE.value = 80;
    gf_saveIntParameter(RANGE);
    EXPECT_EQ(readFile(), before);
    EXPECT_EQ(seen.parent_path(), g_dataFolder);
    EXPECT_FALSE(std::filesystem::exists(seen));
    EXPECT_EQ(dataFiles(), std::vector<std::string>{"parameters.xml"});
    EXPECT_TRUE(folder.logHas("Saving '" + g_parametersPath + "' failed"));

    // a folder that does not exist is not made
    g_parametersPath = (g_dataFolder / "missing" / "parameters.xml").string();
    gf_saveBoolParameter(WEEK);
    EXPECT_FALSE(std::filesystem::exists(g_dataFolder / "missing"));
    EXPECT_TRUE(folder.logHas("Saving '" + g_parametersPath + "' failed"));
}

TEST_F(ParameterFile, AProcessKilledBeforeTheRenameOrOnAFullDiskLeavesTheOldFileIntact)
{
    readLists();
    const std::string before = readFile();
    RANGE.value = 80;
    EXPECT_EQ(inChild([] {
                  gf_setBeforeReplaceHook([](const std::filesystem::path&) { ::_exit(3); });
                  gf_saveIntParameter(RANGE);
              }),
              3);
    EXPECT_EQ(readFile(), before);
    EXPECT_EQ(dataFiles().size(), 2U); // the dead process's temporary file is all it left

    // the next run reads the old value, and later saves work as before
    gf_resetOptions();
    readLists();
    EXPECT_EQ(RANGE.value, 40);
    RANGE.value = 80;
    gf_saveIntParameter(RANGE);
    EXPECT_EQ(valueOf("RANGE"), "80");

    const std::string saved = readFile();
    for (const std::string& name : dataFiles()) // the temporary file the dead process left
        if (name != "parameters.xml")
            std::filesystem::remove(g_dataFolder / name);
    EXPECT_EQ(inChild([] {
                  // the file system refuses every byte past the first hundred of a file
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{100, 100};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  DESTINATION.value = "EGLL";
                  gf_saveStringParameter(DESTINATION);
              }),
              0);
    EXPECT_EQ(readFile(), saved);
    EXPECT_EQ(dataFiles(), std::vector<std::string>{"parameters.xml"});
}

TEST_F(ParameterFile, TwoThreadsSavingAThousandTimesEachLoseNothing)
{
    readLists();
    constexpr int saves = 1000;
    std::thread windowThread([] {
        for (int i = 1; i <= saves; ++i) {
            MAIN_WINDOW_X.value = i;
            gf_saveIntParameter(MAIN_WINDOW_X);
        }
    });
    const std::string longText(200, 'C'); // on the heap: a torn read shows
    std::thread controlThread([&] {
        for (int i = 1; i <= saves; ++i) {
            BLOCK_CALLSIGN.value = longText + std::to_string(i);
            gf_saveStringParameter(BLOCK_CALLSIGN);
        }
    });
    // a reader sees whole values meanwhile
    for (int i = 0; i < 2000; ++i) {
        const std::string callsign = BLOCK_CALLSIGN.value.get();
        EXPECT_TRUE(callsign.empty() || callsign.starts_with(longText)) << callsign;
    }
    windowThread.join();
    controlThread.join();

    EXPECT_EQ(valueOf("MAIN_WINDOW_X"), std::to_string(saves));
    EXPECT_EQ(valueOf("BLOCK_CALLSIGN"), longText + std::to_string(saves));
    EXPECT_EQ(entries().size(), g_newFile.size());
    EXPECT_EQ(dataFiles(), std::vector<std::string>{"parameters.xml"});
}

TEST_F(ParameterFile, RemovingAnOptionTakesItsElementOut)
{
    EXPECT_EQ(gf_removeParameter(LATERAL_RANGE), 0); // no file: nothing written
    EXPECT_FALSE(std::filesystem::exists(g_parametersPath));
    readLists();
    EXPECT_EQ(gf_removeParameter(LATERAL_RANGE), 1);
    EXPECT_EQ(valueOf("LATERAL_RANGE"), "<missing>");
    EXPECT_EQ(entries().size(), g_newFile.size() - 1);
    EXPECT_TRUE(folder.logHas("Parameter 'LATERAL_RANGE' removed"));
    EXPECT_EQ(gf_removeParameter(LATERAL_RANGE), 0);

    writeFile("<other><parameter name=\"RANGE\" value=\"5\"/></other>");
    EXPECT_EQ(gf_removeParameter(RANGE), 0);
}

TEST_F(ParameterFile, ASaveWhileARemovalRewritesTheFileIsKept)
{
    readLists();
    std::future<void> save;
    bool first = true;
    const auto lt_saveX = [] { MAIN_WINDOW_X.value = 123; gf_saveIntParameter(MAIN_WINDOW_X); };
    gf_setBeforeReplaceHook([&](const std::filesystem::path&) {
        if (std::exchange(first, false)) { // the window saves while the removal is about to write the file
            save = std::async(std::launch::async, lt_saveX);
            save.wait_for(std::chrono::milliseconds(200)); // the save waits for the removal
        }
    });
    EXPECT_EQ(gf_removeParameter(LATERAL_RANGE), 1);
    save.get();
    EXPECT_EQ(valueOf("LATERAL_RANGE") + " " + valueOf("MAIN_WINDOW_X"), "<missing> 123");
}

TEST_F(ParameterFile, NodeHelpersRefuseNodesOfTheWrongKindAndNullEntriesAreSkipped)
{
    pugi::xml_document doc;
    const pugi::xml_node text = doc.append_child(pugi::node_pcdata);
    SCAN_AIRPORTS.value = false;
    gf_initBoolParameter(SCAN_AIRPORTS, text);
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_TRUE(folder.logHas("===> Adding Init XML parameter 'SCAN_AIRPORTS' with value 'true' failed!"));
    gf_initIntParameter(MAX_LIVE, text);
    EXPECT_TRUE(folder.logHas("===> Adding Init XML parameter 'MAX_LIVE' with value '-1' failed!"));

    for (int run = 0; run < 2; ++run) { // the new file, then the file read
        gf_readParameterFile({nullptr, &MSFS_2020}, {nullptr}, {nullptr, &MAX_LIVE}, {nullptr}, {nullptr, &lfolder0},
                             {nullptr});
        EXPECT_EQ(entries(), (Entries{{"MSFS_2020", "false"}, {"MAX_LIVE", "-1"}}));
    }

    gf_setParameterNodeValue(pugi::xpath_node(), "ignored"); // nothing selected: nothing happens
    pugi::xml_node stand = doc.append_child("stand");
    EXPECT_TRUE(gf_appendBoolAttribute(stand, "soft", true));
    EXPECT_STREQ(stand.attribute("soft").value(), "true");
}

} // namespace
