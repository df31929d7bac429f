// The livery matching summary of the log.
#include "livery_test_support.h"

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

TEST_F(LiverySummaryTest, NothingBeforeTheFirstMatchAndNoRefusedPartWithoutRefusals)
{
    m_refused = {"  B744 UPS"};
    gf_logLiveryMatchingSummary();
    m_refused.clear();
    g_liveryTables.matchCounts[5] = 1;
    gf_logLiveryMatchingSummary();
    const std::string text = log();
    EXPECT_EQ(countOf(text, "livery matching summary"), 1u);
    EXPECT_EQ(countOf(text, "Could not be created"), 0u);
    EXPECT_THAT(text, HasSubstr("  6: 1\n" + std::string(100, '*') + "\n\n"));
}

} // namespace
