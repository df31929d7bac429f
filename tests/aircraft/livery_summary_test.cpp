#include "aircraft/livery_summary.h"
#include "livery_test_support.h"

using namespace aircrafttest;

namespace {

class LiverySummaryTest : public LiveryTest {
protected:
    void SetUp() override
    {
        LiveryTest::SetUp();
        gf_installLiveryMatchHooks({nullptr, nullptr, nullptr, [this] { return m_refused; }});
    }
    std::vector<std::string> m_refused;
};

TEST_F(LiverySummaryTest, NothingBeforeTheFirstMatch)
{
    m_refused = {"  B744 UPS"};
    const auto before = readFile("Log.txt");
    gf_logLiveryMatchingSummary();
    EXPECT_EQ(log(), before);
}

TEST_F(LiverySummaryTest, EveryStepIsListedWithTheRefusedTitles)
{
    g_liveryTables.matchCounts[1] = 7;
    m_refused = {"  B744 UPS", "  A320 DLH"};
    const auto start = readFile("Log.txt").size();
    gf_logLiveryMatchingSummary();
    const std::string stars(31, '*');
    const std::string expected = "\n" + stars + " live traffic livery matching summary " + stars +
                                 "\n"
                                 "Matches at step: \n"
                                 "  1: 0\n  2: 7\n  3: 0\n  4: 0\n  5: 0\n  6: 0\n"
                                 "\nCould not be created by MSFS:\n"
                                 "  B744 UPS\n  A320 DLH\n" +
                                 std::string(100, '*') + "\n\n";
    EXPECT_EQ(log().substr(start), expected);
    EXPECT_EQ(g_liveryTables.matchCounts[1].load(), 7) << "the counters keep counting";
}

TEST_F(LiverySummaryTest, NoRefusedPartWithoutRefusals)
{
    g_liveryTables.matchCounts[5] = 1;
    gf_logLiveryMatchingSummary();
    const std::string text = log();
    EXPECT_EQ(countOf(text, "Could not be created"), 0u);
    EXPECT_NE(text.find("  6: 1\n" + std::string(100, '*') + "\n\n"), std::string::npos);
}

} // namespace
