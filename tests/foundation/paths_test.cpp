#include "foundation/paths.h"

#include "platform/known_folders.h"
#include "support/logged_folder.h"

#include <gtest/gtest.h>

TEST(Paths, DataFolderFollowsTheRoamingFolder)
{
    testsupport::LoggedFolder folder;
    gf_initDataPaths();
    const auto config = folder.path() / "home" / ".config";
    EXPECT_EQ(g_dataFolder, config / "TRWK");
    EXPECT_EQ(g_parametersPath, (config / "TRWK" / "parameters.xml").string());
    EXPECT_EQ(gf_getLocalAppDataPath(), folder.path() / "home" / ".local" / "share");
    EXPECT_TRUE(folder.logLines().empty());
}

TEST(Paths, FailedLookupsGiveEmptyPathsAndOneLineEach)
{
    testsupport::LoggedFolder folder;
    folder.setEnv("HOME", std::nullopt);
    folder.setEnv("XDG_CONFIG_HOME", std::nullopt);
    folder.setEnv("XDG_DATA_HOME", std::nullopt);
    EXPECT_TRUE(gf_getAppDataPath().empty());
    EXPECT_TRUE(gf_getLocalAppDataPath().empty());
    EXPECT_FALSE(gf_knownFolderPath(platform::CSIDL_APPDATA).has_value());
    EXPECT_EQ(folder.logLines(), (std::vector<std::string>{"===> Could not find the AppData path",
                                                           "===> Could not find the a Local Appdata path"}));
    gf_initDataPaths(); // falls back to a folder beside the program
    EXPECT_EQ(g_dataFolder, std::filesystem::path("TRWK"));
}

TEST(Paths, ReportPathsUseThePlatformSeparator)
{
    EXPECT_EQ(g_invalidAirlineCodesPath.string(), "output/errors/InvalidAirlineCodes.txt");
    EXPECT_EQ(g_noFltsimSectionPath.string(), "output/info/AircraftCfgWithNoFltsimSection.txt");
    EXPECT_EQ(g_learnedThirdPartyFolder.string(), "airports/learned/thirdparty");
    EXPECT_EQ(g_learnedStockFolder.parent_path(), g_learnedFolder);
}
