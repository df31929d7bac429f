#include "foundation/load_parameters.h"
#include "foundation/parameter_file.h"
#include "foundation/shell_state.h"
#include "options_file.h"

#include <fmt/format.h>
#include <fstream>

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
        EXPECT_EQ(valueOf("LATERAL_RANGE"), c.converted ? "<missing>" : (c.oldOptions ? "36" : "40"));
        EXPECT_EQ(valueOf("SCAN_LIVERIES") + valueOf("SCAN_AIRPORTS"), c.rescanned ? "truetrue" : "falsefalse");
        EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
    }
}

TEST_F(LoadParameters, AnUpdateThatFailsOnItsWayIsMadeAgainAtTheNextStart)
{
    writeStoredFile("11.0.1", true);
    std::filesystem::create_directories("install_new_version.exe/in-use"); // cannot be removed
    EXPECT_THROW(gf_loadParameters(), std::filesystem::filesystem_error);
    EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.1");
    EXPECT_EQ(valueOf("SCAN_LIVERIES"), "false");

    std::filesystem::remove_all("install_new_version.exe");
    gf_resetOptions();
    gf_loadParameters();
    EXPECT_EQ(RANGE.value, 35) << "the successors carried over the first time stay";
    EXPECT_EQ(MAX_LIVE_SEL.value, 10);
    EXPECT_EQ(valueOf("SCAN_LIVERIES") + valueOf("SCAN_AIRPORTS"), "truetrue");
    EXPECT_EQ(valueOf("PROGRAM_VERSION"), "11.0.4");
}

} // namespace
