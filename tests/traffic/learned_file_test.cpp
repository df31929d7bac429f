// The park airport's learned file across visits: loaded with the parking file, written when the
// airport is left, and read back at the next visit.
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "foundation/option_table.h"
#include "simlink/sim_state.h"
#include "support/logged_folder.h"
#include "support/manual_time.h"
#include "traffic/learned_writer.h"

#include <filesystem>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;

void lf_write(const fs::path& path, const std::string& text)
{
    fs::create_directories(fs::absolute(path).parent_path());
    std::ofstream(path) << text;
}

std::string lf_read(const fs::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string lf_apf(const std::string& parameters, const std::string& parkpos)
{
    return "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/>"
           "</meta><parameters><parameter name='altitude' value='300'/><parameter name='publisher' value='Pub'/>" +
           parameters + "</parameters><parkpositions>" + parkpos + "</parkpositions>";
}

std::string lf_parkpos(int i)
{
    return fmt::format("<parkpos id='S{0}' latitude='{1:.6f}' longitude='8.000000' heading='0.0' radius='20.0' "
                       "cargo='false' ramp='false'><opt reg='D-E{0}' airl='EZY' type='A320' day='1' hh='0,1'/></parkpos>",
                       i, 50.0 + i * 0.001);
}

// What the park airport's stands hold: each stand's name and options.
std::string lf_stands()
{
    std::string text;
    for (const Stand& stand : g_parkStands) {
        text += stand.name + ":";
        for (const StandOption& o : stand.options)
            text += fmt::format(" {}/{}/{}/{}/{}/{}/{}", o.reg, o.cs, o.airl, o.type, o.day, gf_bitset2hours(o.hh), o.real);
        text += "\n";
    }
    return text;
}

class LearnedFileTest : public ::testing::Test {
protected:
    LearnedFileTest()
    {
        gf_resetOptions();
        gf_resetParkData();
        gf_resetParkApf();
        gf_resetSimLinkState();
        parkAirport = Airport{"LXXX", "", 50.0, 8.0, 0.0};
    }
    ~LearnedFileTest() override
    {
        gf_resetParkData();
        gf_resetParkApf();
        gf_resetOptions();
    }

    testsupport::LoggedFolder folder;
    testsupport::ManualTime time{1704622500}; // Sunday 7 January 2024, 10:15 UTC
};

// With PARK_FAKE stored on in a handmade file, every visit adds made-up aircraft to the stands:
// none of them goes into the file, so each visit finds what the one before it found.
TEST_F(LearnedFileTest, MadeUpAircraftNeverReachTheFile)
{
    const fs::path learned = "airports/learned/thirdparty/Pub/LXXX.xml";
    lf_write("airports/my_thirdparty/LXXX.xml", lf_apf("", lf_parkpos(1) + lf_parkpos(2)));
    lf_write(learned, lf_apf("<parameter name='handmade' value='true'/><parameter name='PARK_FAKE' value='true'/>",
                             lf_parkpos(3) + lf_parkpos(4)));
    std::string first;
    for (int visit = 1; visit <= 3; ++visit) {
        SCOPED_TRACE(visit);
        ASSERT_EQ(gf_readParkedFile(), "");
        ASSERT_TRUE(PARK_FAKE.value && g_parkHandmade);
        if (visit == 1)
            first = lf_stands();
        EXPECT_EQ(lf_stands(), first);
        ASSERT_TRUE(gf_writeLearnedApf());
        EXPECT_EQ(lf_read(learned).find("REGFAKE"), std::string::npos);
    }
    EXPECT_EQ(first, "S3: D-E3//EZY/A320/1/0,1/1 REGFAKE1/FAKE1/ZZZ/B738/7/20/0\n"
                     "S4: D-E4//EZY/A320/1/0,1/1 REGFAKE2/FAKE2/ZZZ/B738/7/20/0\n");
}

// A parking file named from outside the program's folders: what is learned there is written
// where the next visit reads it, inside the learned folder.
TEST_F(LearnedFileTest, WrittenWhereTheNextVisitReadsIt)
{
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string() + "/");
    for (const char* sim : {"MSFS", "MSFS2024"})
        lf_write(fs::path("site") / sim / "elsewhere/LXXX.xml", lf_apf("", lf_parkpos(1)));
    lf_write("airports/my_thirdparty/LXXX.txt", "elsewhere/LXXX.xml");
    ASSERT_EQ(gf_readParkedFile(), "");
    ASSERT_EQ(g_parkStands.at(0).options.size(), 1u);
    StandOption learned = g_parkStands[0].options[0]; // as the learning adds one
    learned.reg = "D-LRND";
    learned.fromApf = 0;
    learned.optionId = 2;
    g_parkStands[0].options.push_back(learned);
    g_learnedUpdates = 1;
    ASSERT_TRUE(gf_writeLearnedApf());
    EXPECT_TRUE(fs::exists("airports/learned/thirdparty/Pub/LXXX.xml"));
    EXPECT_FALSE(fs::exists("elsewhere"));
    ASSERT_EQ(gf_readParkedFile(), "");
    EXPECT_EQ(lf_stands(), "S1: D-E1//EZY/A320/1/0,1/1 D-LRND//EZY/A320/1/0,1/1\n");
}

} // namespace
