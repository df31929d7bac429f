// Finding the simulator's packages folder in folder trees laid out like the Store, Steam, Steam
// dashboard and boxed installations, with file names in the letter case a user's disk may have.
#include "foundation/install_detection.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "support/logged_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class InstallDetection : public ::testing::Test {
protected:
    void SetUp() override { gf_resetOptions(); }
    void TearDown() override
    {
        gf_resetOptions();
        gf_resetShellState();
    }

    fs::path roaming() const { return m_folder.path() / "home" / ".config"; }
    fs::path local() const { return m_folder.path() / "home" / ".local" / "share"; }
    fs::path cache(const char* package) const
    {
        return local() / "Packages" / fmt::format("{}_8wekyb3d8bbwe", package) / "LocalCache" / "UserCfg.opt";
    }

    // A packages folder holding the given package folders.
    fs::path packages(const fs::path& where, std::initializer_list<const char*> children) const
    {
        for (const char* child : children)
            fs::create_directories(where / child);
        fs::create_directories(where);
        return where;
    }

    static void writeUserCfg(const fs::path& path, const std::string& packagesLine)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << "Version 1\r\n{Graphics\r\n}\r\n" << packagesLine << "\r\n";
    }

    testsupport::LoggedFolder m_folder;
};

TEST_F(InstallDetection, SteamPackagesWinWithoutReadingTheSettingsFile)
{
    const fs::path steam = packages(roaming() / "Microsoft Flight Simulator" / "Packages", {"Community", "Official"});
    const fs::path other = packages(m_folder.path() / "elsewhere", {"Community", "Official"});
    writeUserCfg(roaming() / "Microsoft Flight Simulator" / "UserCfg.opt",
                 "InstalledPackagesPath \"" + other.string() + "\"");

    EXPECT_EQ(gf_detectSimPackagesPath(), steam);
    EXPECT_TRUE(m_folder.logHas("Steam packages:" + steam.string()));
    for (const auto& line : m_folder.logLines())
        EXPECT_EQ(line.find("UserCfg.opt:"), std::string::npos) << line;
}

TEST_F(InstallDetection, EachSettingsFileLayoutNamesThePackagesFolder)
{
    struct Layout {
        bool msfs2020;
        fs::path userCfg;
        const char* official;
    };
    const Layout layouts[] = {
        {true, cache("Microsoft.FlightSimulator"), "Official"},
        {false, cache("Microsoft.Limitless"), "Official2024"},
        {false, roaming() / "Microsoft Flight Simulator 2024" / "UserCfg.opt", "Official2024"},
        {true, cache("Microsoft.FlightDashboard"), "Official"},
        {false, cache("Microsoft.FlightDashboard"), "Official2024"},
        {true, local() / "MSFSPackages" / "UserCfg.opt", "Official"}};
    int round = 0;
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.userCfg.string());
        fs::remove_all(roaming());
        fs::remove_all(local());
        g_msfs2020Mode = layout.msfs2020;
        const fs::path folder = packages(m_folder.path() / ("Sim Packages " + std::to_string(++round)),
                                         {"Community", layout.official});
        writeUserCfg(layout.userCfg, "InstalledPackagesPath \"" + folder.string() + "\"");
        EXPECT_EQ(gf_findUserCfg(), layout.userCfg);
        EXPECT_EQ(gf_detectSimPackagesPath(), folder);
        EXPECT_TRUE(m_folder.logHas("UserCfg.opt: InstalledPackagesPath=" + folder.string()));
    }
}

TEST_F(InstallDetection, NamesMatchWhateverTheirLetterCase)
{
    const fs::path folder = packages(m_folder.path() / "Packs", {"community", "OFFICIAL"});
    writeUserCfg(local() / "msfspackages" / "usercfg.opt", "InstalledPackagesPath \"" + folder.string() + "\"");
    EXPECT_EQ(gf_detectSimPackagesPath(), folder);

    MSFS_INSTALL_PATH.value = folder.string();
    EXPECT_EQ(gf_simPackagesPath("Community"), folder / "community");
    EXPECT_EQ(gf_simPackagesPath("Official"), folder / "OFFICIAL");
}

TEST_F(InstallDetection, AnUnquotedOrMissingFolderGivesNothing)
{
    const fs::path folder = packages(m_folder.path() / "Packs", {"Community", "Official"});
    writeUserCfg(local() / "MSFSPackages" / "UserCfg.opt", "InstalledPackagesPath " + folder.string());
    EXPECT_TRUE(gf_readInstalledPackagesPath().empty());
    EXPECT_TRUE(m_folder.logHas("UserCfg.opt: InstalledPackagesPath=???"));

    writeUserCfg(local() / "MSFSPackages" / "UserCfg.opt", "InstalledPackagesPath \"" + folder.string() + "-gone\"");
    EXPECT_TRUE(gf_detectSimPackagesPath().empty());
}

TEST_F(InstallDetection, NoInstallationLogsEveryCandidate)
{
    EXPECT_TRUE(gf_detectSimPackagesPath().empty());
    const std::pair<const char*, fs::path> candidates[] = {
        {"Store", cache("Microsoft.FlightSimulator")},
        {"Steam1", roaming() / "Microsoft Flight Simulator" / "UserCfg.opt"},
        {"Steam2", cache("Microsoft.FlightDashboard")},
        {"Boxed", local() / "MSFSPackages" / "UserCfg.opt"}};
    for (const auto& [name, path] : candidates)
        EXPECT_TRUE(m_folder.logHas(fmt::format("MSFS detection, no {}:{}", name, path.string()))) << name;
    EXPECT_TRUE(m_folder.logHas("No UserCfg.opt found?"));
}

TEST_F(InstallDetection, ValidityFollowsTheSimulatorInForce)
{
    const fs::path folder = packages(m_folder.path() / "Packs", {"Community", "Official"});
    EXPECT_TRUE(gf_isValidPackagesPath(folder));
    g_msfs2020Mode = false;
    EXPECT_FALSE(gf_isValidPackagesPath(folder));
    fs::create_directories(folder / "Official2024");
    EXPECT_TRUE(gf_isValidPackagesPath(folder));
    fs::remove(folder / "Community");
    EXPECT_FALSE(gf_isValidPackagesPath(folder));
    EXPECT_FALSE(gf_isValidPackagesPath({}));

    // the option in force, and nothing while it is empty
    MSFS_2024_INSTALL_PATH.value = folder.string();
    EXPECT_EQ(gf_simPackagesPath("Official2024"), folder / "Official2024");
    g_msfs2020Mode = true;
    EXPECT_TRUE(gf_simPackagesPath("Community").empty());
}

} // namespace

TEST(CommunityFolder, OnlyALastComponentCommunityIsCutOff)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"(C:\MSFS\Packages\Community)", R"(C:\MSFS\Packages)"}, {R"(D:\Community\Pkgs)", R"(D:\Community\Pkgs)"},
        {R"(D:\Community\Pkgs\Community)", R"(D:\Community\Pkgs)"},
        {"/home/pilot/packages/Community", "/home/pilot/packages"},
        {R"(E:\sim\community\)", R"(E:\sim)"}, {R"(E:\sim\MyCommunity)", R"(E:\sim\MyCommunity)"},
        {R"(\Community)", ""}, {"Community", "Community"}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(gf_withoutCommunityFolder(text), expected) << text;
}
