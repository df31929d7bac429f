// Registration codes applied to the installed liveries: painted ones and their clashes, the
// shipped list, the user's files, titles not to use, and the reports.
#include "aircraft_test_support.h"

#include <deque>

namespace {

// Stands in for the livery tables: owns the installed titles and the regcode containers.
class RegcodeProcessingTest : public AircraftTest {
protected:
    void SetUp() override
    {
        AircraftTest::SetUp();
        m_titles = {"A388 Lufthansa",    "B744 Lufthansa Retro", "B748 Lufthansa",
                    "A320 Condor Sunny", "A320 Condor Beach",    "A320 Private Grey"};
        gf_installRegcodeTables(m_tables, [this](std::string_view title) -> std::string_view {
            const auto it = std::find(m_titles.begin(), m_titles.end(), title);
            return it == m_titles.end() ? std::string_view() : std::string_view(*it);
        });
    }

    // The view the tables hold for a registration, or an empty text.
    std::string titleOf(const std::string& registration) const
    {
        const auto it = m_tables.specialRegistrations.find(registration);
        return it == m_tables.specialRegistrations.end() ? std::string() : std::string(it->second);
    }

    void writeShippedList(const std::string& liveries)
    {
        writeEncrypted(g_regcodesEncPath, "<?xml version=\"1.0\"?>\n<AIG-regcodes>\n" + liveries + "</AIG-regcodes>\n");
    }

    std::deque<std::string> m_titles;
    RegcodeTables m_tables;
};

TEST_F(RegcodeProcessingTest, PaintedRegistrationsKeepTheFirstLiveryAndReportClashes)
{
    gf_findInlineRegcodeClashes({{"DLH", "A388", "A388 Lufthansa", "D-AIMA"}});
    EXPECT_FALSE(fs::exists(g_inlineRegcodesPath)) << "no clashes, no file";
    const std::vector<PaintedRegcode> liveries{
        {"DLH", "A388", "A388 Lufthansa", "D-AIMA"},
        {"DLH", "B744", "B744 Lufthansa Retro", "D-AIMA"},
        {"DLH", "A388", "A388 Lufthansa", "D-AIMA"},
        {"DLH", "B748", "B748 Lufthansa", ""},
        {"CFG", "A320", "A320 Condor Gone", "D-AICA"},
    };
    gf_findInlineRegcodeClashes(liveries);
    EXPECT_EQ(titleOf("D-AIMA"), "A388 Lufthansa");
    EXPECT_EQ(m_tables.specialRegistrations.size(), 1u);
    // the stored view points into the livery tables' own title
    EXPECT_EQ(m_tables.specialRegistrations.at("D-AIMA").data(), m_titles[0].data());

    EXPECT_EQ(readLines(g_inlineRegcodesPath),
              (std::vector<std::string>{
                  "D-AIMA 'B744 Lufthansa Retro' => already in use by 'A388 Lufthansa'",
                  "==> [CFG A320] D-AICA 'A320 Condor Gone' not available, system error, should not happen?"}));
    EXPECT_THAT(log(), HasSubstr("\n2 in-line regcode clashes, see 'output/errors/InlineRegcodes.txt'\n"));
}

TEST_F(RegcodeProcessingTest, ApplyingCountsAddedReplacedAndSpecial)
{
    m_tables.specialRegistrations.emplace("D-AIMA", m_titles[1]);
    gf_applyRegcodes({
        {"A388 Lufthansa", {"D-AIMA", "D-AIMB"}, false},
        {"Not Installed", {"D-XXXX"}, true},
        {"B744 Lufthansa Retro", {"D-ABYT"}, true},
    });
    EXPECT_EQ(titleOf("D-AIMA"), "A388 Lufthansa");
    EXPECT_EQ(titleOf("D-AIMB"), "A388 Lufthansa");
    EXPECT_EQ(titleOf("D-XXXX"), "");
    EXPECT_EQ(m_tables.specialTitles, std::vector<std::string_view>{"B744 Lufthansa Retro"});
    EXPECT_EQ(g_regcodeReport,
              (std::vector<std::string>{
                  "   regcode D-AIMA for 'A388 Lufthansa', instead of the same for 'B744 Lufthansa Retro'",
                  "2 new regcodes added, 1 regcode replaced, 1 regcode defined as special"}));
}

TEST_F(RegcodeProcessingTest, SummariesCountWhatChangedAndEverySpecialEntry)
{
    gf_applyRegcodes({{"A320 Condor Sunny", {"D-AICA"}, false}});
    EXPECT_EQ(g_regcodeReport.back(), "1 new regcode added");
    // the same again, special: nothing changes, but the special entry counts
    gf_applyRegcodes({{"A320 Condor Sunny", {"D-AICA"}, true}});
    EXPECT_EQ(g_regcodeReport.back(), "0 new regcodes added, 1 regcode defined as special");
    EXPECT_EQ(m_tables.specialTitles.size(), 1u);
    // without installed tables no title is known
    gf_resetRegcodeTables();
    gf_applyRegcodes({{"A388 Lufthansa", {"D-AIMA"}, true}});
    EXPECT_TRUE(gf_regcodeTables().specialRegistrations.empty());
    EXPECT_EQ(g_regcodeReport, (std::vector<std::string>{"1 new regcode added",
                                                         "0 new regcodes added, 1 regcode defined as special",
                                                         "0 new regcodes added"}));
}

TEST_F(RegcodeProcessingTest, ShippedListThenUserFilesWithTheReport)
{
    gf_findInlineRegcodeClashes({{"CFG", "A320", "A320 Condor Sunny", "D-AICA"}});
    writeShippedList("<livery title=\"A388 Lufthansa\" reg=\"D-AIMA,D-AIMB\"/>\n"
                     "<livery title=\"B744 Lufthansa Retro\" reg=\"D-ABYT\" special=\"1\"/>\n"
                     "<livery title=\"A320 Private Grey\"/>\n");
    writeFile(g_userRegcodeFolder / "mine.txt", "A320 Condor Beach ; D-AICA\n");
    gf_processRegcodes();

    EXPECT_EQ(titleOf("D-AIMB"), "A388 Lufthansa");
    EXPECT_EQ(titleOf("D-AICA"), "A320 Condor Beach"); // the user's file wins over the painted one
    EXPECT_EQ(m_tables.specialTitles.size(), 2u);
    EXPECT_FALSE(fs::exists(g_regcodesXmlPath));

    EXPECT_EQ(readLines(g_offlineRegcodesPath),
              (std::vector<std::string>{
                  "Processing file input/AIG-regcodes.xml", "3 new regcodes added, 1 regcode defined as special",
                  "Processing files in input/my_regcodes",
                  "   regcode D-AICA for 'A320 Condor Beach', instead of the same for 'A320 Condor Sunny'",
                  "0 new regcodes added, 1 regcode replaced, 1 regcode defined as special"}));
    expectLogged({"\nOffline regcode files processed, results can be found in 'output/info/OfflineRegcodes.txt'\n",
                  "\n2 special liveries\n"});
}

TEST_F(RegcodeProcessingTest, ErrorsInTheSourcesArePointedTo)
{
    writeShippedList(R"(<livery title="A388 Lufthansa" reg="D-AIMA"/><livery title="A388 Lufthansa" reg="D-AIMB"/>)");
    writeFile(g_userRegcodeFolder / "mine.txt", "A320 Condor Beach ; X\n");
    gf_processRegcodes();
    const auto lines = readLines(g_offlineRegcodesPath);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "There were errors processing the AIG-regcode file 'input/AIG-regcodes.xml', see Log.txt");
    EXPECT_EQ(gf_statusLine().text,
              "There were errors processing the regcode files in folder 'input/my_regcodes', see Log.txt");
}

TEST_F(RegcodeProcessingTest, AListThatCannotBeDecryptedAppliesNothing)
{
    writeFile(g_regcodesEncPath, "not encrypted at all, not even a whole header");
    writeFile(g_userRegcodeFolder / "mine.txt", "A320 Condor Beach ; D-AICA\n");
    writeFile(g_offlineRegcodesPath, "old report\n");
    g_regcodeReport.push_back("old line");
    gf_processRegcodes();
    EXPECT_TRUE(m_tables.specialRegistrations.empty());
    EXPECT_TRUE(g_regcodeReport.empty());
    EXPECT_FALSE(fs::exists(g_regcodesXmlPath));
    EXPECT_THAT(log(), HasSubstr("gf_streamDecrypt exception: "));
}

TEST_F(RegcodeProcessingTest, AnEmptyUserFolderIsNotReported)
{
    fs::create_directories(g_userRegcodeFolder);
    writeShippedList("<livery title=\"A388 Lufthansa\" reg=\"D-AIMA\"/>");
    writeFile(g_offlineRegcodesPath, "old report\n");
    gf_processRegcodes();
    EXPECT_EQ(readLines(g_offlineRegcodesPath),
              (std::vector<std::string>{"Processing file input/AIG-regcodes.xml", "1 new regcode added"}));
}

TEST_F(RegcodeProcessingTest, DontUseTitlesFromBothSources)
{
    gf_readMyDontUseTitles(); // no user folder yet
    writeFile(g_regcodesXmlPath, R"(<AIG-regcodes><livery title="A320 Private Grey"/><livery title="A" reg="D-AAAA"/>)"
                                 R"(<livery title="A"/><livery title="B747 Old"/></AIG-regcodes>)");
    gf_readAigDontUseTitles();
    writeFile(g_userRegcodeFolder / "mine.txt", "Mine Unwanted\nMine Wanted ; D-EFGH\n");
    gf_readMyDontUseTitles();
    EXPECT_EQ(m_tables.dontUseTitles, (std::vector<std::string>{"A320 Private Grey", "B747 Old", "Mine Unwanted"}));
    EXPECT_EQ(g_regcodeReport,
              (std::vector<std::string>{
                  "There were errors in processing the regcode files in folder 'input/my_regcodes', see the Log.txt",
                  "There were errors in processing the file 'input/AIG-regcodes.xml', see the Log.txt"}));
    expectLogged({"\n2 don't use titles read\n", "\n1 don't use title read from files in input/my_regcodes\n"});
}

} // namespace
