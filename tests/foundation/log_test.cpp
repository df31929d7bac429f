#include "foundation/log.h"

#include "foundation/shell_state.h"
#include "support/logged_folder.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

using testsupport::readFile;

TEST(Log, StartKeepsTwoOlderCopiesAndWritesTheHeader)
{
    testsupport::TempFolder folder;
    gf_openLog(); // the first start makes no backups
    gf_closeLog();
    EXPECT_TRUE(fs::exists("Log.txt") && !fs::exists("Log0.txt") && !fs::exists("Log00.txt"));

    std::ofstream("Log.txt") << "run three\n";
    std::ofstream("Log0.txt") << "run two\n";
    std::ofstream("Log00.txt") << "run one\n";
    gf_openLog();
    gf_log("run four");
    gf_closeLog();

    EXPECT_EQ(readFile("Log0.txt") + readFile("Log00.txt"), "run three\nrun two\n");
    const std::string log = readFile("Log.txt");
    const std::regex header(R"((Mon|Tue|Wed|Thu|Fri|Sat|Sun) \w{3} \d\d \d\d:\d\d:\d\d \d{4} \(utc\) TRWK version 11\.0\.4 for MSFS 2020/2024\nrun four\n)");
    EXPECT_TRUE(std::regex_match(log, header)) << log;
}

TEST(Log, ALogThatCannotBeOpenedFailsTheStart)
{
    testsupport::TempFolder folder;
    // a link into a folder that does not exist: nothing to back up, and nothing can be written
    fs::create_symlink(folder.path() / "missing" / "Log.txt", "Log.txt");
    try {
        gf_openLog();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to write file Log.txt");
    }
    gf_log("nothing happens");
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
    gf_closeLog();
}

TEST(Log, WritersBeforeOpenAndAfterStopWriteNothing)
{
    testsupport::TempFolder folder;
    gf_log("before open");
    EXPECT_FALSE(fs::exists("Log.txt"));

    testsupport::LoggedFolder logged;
    gf_logError("bad");
    gf_logIndented("more");
    gf_logWhileRunning("running");
    g_stop = true;
    gf_logWhileRunning("stopping");
    g_stop = false;
    g_quit = true;
    gf_logWhileRunning("quitting");
    g_quit = false;
    EXPECT_EQ(logged.logLines(), (std::vector<std::string>{"===> bad", "          more", "running"}));
}

TEST(Log, LinesFromEightThreadsComeOutWhole)
{
    testsupport::LoggedFolder logged;
    const auto lt_line = [](int t, int i) { return fmt::format("thread {} line {} {:x<{}}", t, i, "", i % 50); };
    std::vector<std::string> expected;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < 8; ++t) {
            writers.emplace_back([t, &lt_line] {
                for (int i = 0; i < 500; ++i)
                    i % 3 == 0 ? gf_logError(lt_line(t, i)) : gf_log(lt_line(t, i));
            });
            for (int i = 0; i < 500; ++i)
                expected.push_back(fmt::format("{}{}", i % 3 == 0 ? "===> " : "", lt_line(t, i)));
        }
    }
    auto lines = logged.logLines();
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(lines == expected) << lines.size() << " lines";
}

TEST(Log, Banners)
{
    EXPECT_EQ(gf_makeBanner(70, 0, true, false, ""), std::string("\n").append(70, '*'));
    EXPECT_EQ(gf_makeBanner(70, 10, false, true, ""), std::string(80, '*') + "\n");
    EXPECT_EQ(gf_makeBanner(7, 0, false, false, ""), std::string(8, '*'));
    const std::string long69(69, 'T');
    EXPECT_EQ(gf_makeBanner(70, 0, true, false, long69), long69);
    // the title alone still ends its line when asked to
    EXPECT_EQ(gf_makeBanner(70, 0, true, true, long69), long69 + "\n");
    // an odd width with a title is rounded up first: 71 -> 72, 35 stars a side
    EXPECT_EQ(gf_makeBanner(71, 0, false, false, "ab"), std::string(35, '*') + " ab " + std::string(35, '*'));
}

} // namespace
