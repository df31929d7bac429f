#include "foundation/load_parameters.h"
#include "foundation/parameter_file.h"
#include "foundation/shell_state.h"
#include "options_file.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <optional>

namespace {

using testsupport::Entries;

// The options that newer versions replaced, as an older program wrote them.
const Entries g_oldOptions{{"MSFS_2020", "false"},     {"AI_PACKAGE_ORDER", "4"}, {"CUSTOM_MAX_PARK", "300"},
                           {"MAX_LIVE", "17"},         {"LATERAL_RANGE", "36"},   {"AIRPORT_RANGE", "8"},
                           {"AUTO_RANGE_ABOVE_HEIGHT", "26999"}, {"AIRPORT_HEIGHT", "27000"}};

class LoadParameters : public testsupport::OptionsFileTest {
protected:
    // a file with the successors' own values, stored by the version given
    static void writeStoredFile(const std::string& version, bool withOldOptions)
    {
        Entries entries{{"PROGRAM_VERSION", version}, {"SIM_CHOICE", "MSFS 2020"}, {"MAX_LIVE_SEL", "75"},
                        {"MAX_PARK_SEL", "75"},       {"RANGE", "20"},             {"SCAN_LIVERIES", "false"},
                        {"SCAN_AIRPORTS", "false"}};
        if (withOldOptions)
            entries.insert(entries.end(), g_oldOptions.begin(), g_oldOptions.end());
        writeFile(entries);
    }
};

TEST_F(LoadParameters, StoredVersionsDecideWhatIsCarriedOverAndRescanned)
{
    struct Case {
        const char* version;
        bool oldOptions, converted, rescanned;
    };
    const Case cases[] = {
        {"", false, false, false},       {"", true, false, false},        {"garbage", true, false, false},
        {"0.0.0", true, false, false},   {"11.0.4", true, false, false},  {"12.0.0", true, false, false},
        {"11.0.2", true, false, true},   {"11.0.1", true, true, true},    {"11.0.1", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.version << "\" old options " << c.oldOptions);
        gf_resetOptions();
        writeStoredFile(c.version, c.oldOptions);
        std::ofstream("install_new_version.exe") << "installer";
        g_msfs2020Mode = c.converted; // the mode must follow SIM_CHOICE, whatever it was before
        gf_loadParameters();

        EXPECT_EQ(fmt::format("{} {} {} {} {} {} {} {}", SIM_CHOICE.value.get(), AI_PACKAGE_SELECTOR.value.get(),
                              MAX_PARK_SEL.value.load(), MAX_LIVE_SEL.value.load(), RANGE.value.load(),
                              AIRP_RANGE.value.load(), AR_ABOVE_HEIGHT.value.load(), AIRP_HEIGHT.value.load()),
                  c.converted ? "MSFS 2024 FSLTL, JF, AIG 500 10 35 10 18000 36000"
                              : "MSFS 2020 AIG, FSLTL, JF 75 75 20 20 48000 18000");
        EXPECT_EQ(g_msfs2020Mode.load(), !c.converted);
        EXPECT_EQ(std::filesystem::exists("install_new_version.exe"), !c.rescanned);
        // never added; kept unconverted where no update carries them over, but not at this version
        const bool kept = c.oldOptions && !c.converted && std::string(c.version) != "11.0.4";
        EXPECT_EQ(valueOf("LATERAL_RANGE"), kept ? "36" : "<missing>");
        EXPECT_EQ(valueOf("SCAN_LIVERIES") + valueOf("SCAN_AIRPORTS"), c.rescanned ? "truetrue" : "falsefalse");
        EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
    }
}

TEST_F(LoadParameters, AnInstallerThatCannotBeRemovedIsLoggedAndTheUpdateCompletes)
{
    writeStoredFile("11.0.1", true);
    std::filesystem::create_directories("install_new_version.exe/in-use"); // cannot be removed
    EXPECT_NO_THROW(gf_loadParameters());
    EXPECT_TRUE(folder.logHas("===> Failed to remove install_new_version.exe: Directory not empty"));
    EXPECT_EQ(valueOf("PROGRAM_VERSION") + " " + valueOf("SCAN_LIVERIES") + valueOf("SCAN_AIRPORTS"),
              "11.0.4 truetrue");
    EXPECT_EQ(RANGE.value, 35);

    // the next start is no update again, the installer still there
    gf_resetOptions();
    gf_loadParameters();
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("This is a version update"); }),
              1);
    EXPECT_TRUE(std::filesystem::exists("install_new_version.exe/in-use"));
}

TEST_F(LoadParameters, AnUpdateThatFailsOnItsWayIsMadeAgainAtTheNextStart)
{
    writeStoredFile("11.0.1", true);
    // the program ends while the update rewrites the file: the load and SIM_CHOICE with the removal
    // of MSFS_2020 are saved, the rest of the conversion is not
    EXPECT_EQ(inChild([] {
                  gf_setBeforeReplaceHook([](const std::filesystem::path&) {
                      static int replaces = 0;
                      if (++replaces == 4)
                          ::_exit(3);
                  });
                  gf_loadParameters();
              }),
              3);
    const auto lt_file = [] {
        return fmt::format("{} {} {} {} {} {}", valueOf("PROGRAM_VERSION"), valueOf("SIM_CHOICE"), valueOf("MSFS_2020"),
                           valueOf("MAX_LIVE"), valueOf("MAX_LIVE_SEL"), valueOf("SCAN_LIVERIES"));
    };
    EXPECT_EQ(lt_file(), "11.0.1 MSFS 2024 <missing> 17 75 false");

    gf_resetOptions();
    gf_loadParameters(); // the successor carried over the first time stays
    EXPECT_EQ(lt_file(), "11.0.4 MSFS 2024 <missing> <missing> 10 true");
}

// A start leaves no replaced option in the file, so the next version update carries nothing over
// that the user never set: the file the start wrote is what the newer program then finds.
TEST_F(LoadParameters, AStartThenAVersionUpdateKeepsTheUsersSettings)
{
    const Entries users{{"PROGRAM_VERSION", "11.0.4"}, {"SIM_CHOICE", "MSFS 2020"}, {"MAX_LIVE_SEL", "100"},
                        {"MAX_PARK_SEL", "75"},         {"RANGE", "100"},            {"AIRP_RANGE", "10"},
                        {"AR_ABOVE_HEIGHT", "16000"},   {"AIRP_HEIGHT", "6000"},     {"AI_PACKAGE_SELECTOR", "JF, AIG, FSLTL"}};
    Entries staleDefaults = users; // what an earlier start of this version wrote into it
    staleDefaults.insert(staleDefaults.end(), {{"MSFS_2020", "false"}, {"LATERAL_RANGE", "40"}, {"MAX_LIVE", "-1"},
                                               {"CUSTOM_MAX_PARK", "-1"}, {"AI_PACKAGE_ORDER", "1"}});
    const std::pair<const char*, std::optional<Entries>> files[] = {
        {"the user's file", users}, {"a file with the defaults of an earlier start", staleDefaults},
        {"no file", std::nullopt}};
    for (const auto& [name, file] : files) {
        SCOPED_TRACE(name);
        gf_resetOptions();
        std::filesystem::remove(g_parametersPath);
        if (file)
            writeFile(*file);
        gf_loadParameters();
        for (const auto& [key, value] : users) // a new file: the user chooses them after the start
            if (key != "PROGRAM_VERSION")
                setValue(key, value);

        setValue("PROGRAM_VERSION", "11.0.1"); // the start was that of the version before
        gf_resetOptions();
        gf_loadParameters();
        EXPECT_TRUE(folder.logHas("This is a version update from 11.0.1 -> 11.0.4"));
        for (const auto& [key, value] : users)
            EXPECT_EQ(valueOf(key), key == "PROGRAM_VERSION" ? "11.0.4" : value) << key;
    }
}

} // namespace
