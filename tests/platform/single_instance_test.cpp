#include "platform/single_instance.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

TEST(SingleInstance, SecondInstanceIsRefusedUntilTheFirstEnds)
{
    testsupport::TempFolder folder;
    const auto name = "Local\\$TarnwickTest$";
    EXPECT_EQ(platform::singleInstanceLockPath(name), folder.path() / "run" / "Local_$TarnwickTest$.lock");

    const int first = platform::acquireSingleInstance(name);
    ASSERT_GE(first, 0);
    EXPECT_EQ(platform::acquireSingleInstance(name), -1);
    platform::releaseSingleInstance(first);

    const int again = platform::acquireSingleInstance(name);
    EXPECT_GE(again, 0);
    platform::releaseSingleInstance(again);
}
