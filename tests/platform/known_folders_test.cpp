#include "platform/known_folders.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

using platform::CSIDL_APPDATA;
using platform::CSIDL_LOCAL_APPDATA;

TEST(KnownFolders, XdgFoldersComeFirstThenHome)
{
    testsupport::TempFolder folder;
    folder.setEnv("XDG_CONFIG_HOME", "/cfg/\xC3\xA9t\xC3\xA9");
    folder.setEnv("XDG_DATA_HOME", "/data");
    EXPECT_EQ(platform::knownFolder(CSIDL_APPDATA), std::u16string(u"/cfg/\u00e9t\u00e9"));
    EXPECT_EQ(platform::knownFolder(CSIDL_LOCAL_APPDATA), std::u16string(u"/data"));

    folder.setEnv("XDG_CONFIG_HOME", std::nullopt);
    folder.setEnv("XDG_DATA_HOME", "relative/is/ignored");
    folder.setEnv("HOME", "/home/pilot");
    EXPECT_EQ(platform::knownFolder(CSIDL_APPDATA), std::u16string(u"/home/pilot/.config"));
    EXPECT_EQ(platform::knownFolder(CSIDL_LOCAL_APPDATA), std::u16string(u"/home/pilot/.local/share"));
}

TEST(KnownFolders, NothingWithoutEnvironmentOrForUnknownIds)
{
    testsupport::TempFolder folder;
    folder.setEnv("XDG_CONFIG_HOME", std::nullopt);
    folder.setEnv("HOME", std::nullopt);
    EXPECT_FALSE(platform::knownFolder(CSIDL_APPDATA).has_value());
    folder.setEnv("HOME", "/home/pilot");
    EXPECT_FALSE(platform::knownFolder(5).has_value());
    // a folder name that is no UTF-8 cannot be handed on
    folder.setEnv("HOME", "/home/\xFF");
    EXPECT_FALSE(platform::knownFolder(CSIDL_APPDATA).has_value());
}
