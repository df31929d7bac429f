// Damaged inputs of the parsers: random mutations of valid files, a fixed number of rounds from
// a fixed seed. Every round must end in a result or one of the documented exceptions.
#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/regcode_files.h"
#include "aircraft_test_support.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"

#include "support/mutate.h"

#include <random>

using namespace aircrafttest;

namespace {

const std::string g_validDbase =
    "<?xml version=\"1.0\"?>\n"
    "<aircrafts><aircraft types=\"A320, A321,B744,C172,EC35,F16,C25C\"/></aircrafts>\n"
    "<high_performance><hpf types=\"F16\"/></high_performance><heavy><hvy types=\"B744\"/></heavy>\n"
    "<large><lar types=\"A320,A321\"/></large><buzjet><bzj types=\"C25C\"/></buzjet>\n"
    "<rotorcraft><rot types=\"EC35\"/></rotorcraft><cargo_types><cargo_type types=\"B744\"/></cargo_types>\n"
    "<similar_types><similar types=\"A320,A321\"/></similar_types>\n"
    "<ICAO_airlines><ICAO codes=\"DLH,ZZZ\"/></ICAO_airlines><cargo_operators><ICAO codes=\"GEC\"/></cargo_operators>\n"
    "<publishers><pub names=\"Orbit,ORBIT Works\"/></publishers>\n"
    "<wingspans><wingspan type=\"A320\" meters=\"34.1\"/><wingspan type=\"B744\" meters=\"64.4\"/></wingspans>\n"
    "<fixes><fx wro=\"A320N\" cor=\"A320\"/></fixes>\n"
    "<simaddons20><simaddon20 arpts=\"EDDF,EGLL\"/></simaddons20>\n"
    "<thirdparties20><thirdpartie20 pub=\"Orbit\" arpts=\"LOWI\"/></thirdparties20>\n"
    "<thirdparties24><thirdpartie24 pub=\"Orbit\" arpts=\"LOWI\"/></thirdparties24>\n"
    "<dbase><db reg=\"D-AIMA\" airl=\"DLH\" type=\"A388\" opr=\"\" cargo=\"0\"/><db reg=\"N1YP\" airl=\"ZZZ\" type=\"C172\"/></dbase>\n";

const std::string g_validRegcodes = "<?xml version=\"1.0\"?>\n<AIG-regcodes>\n"
                                    "<livery title=\"A388 Lufthansa\" reg=\"D-AIMA,D-AIMB\"/>\n"
                                    "<livery title=\"B744 Retro\" reg=\"D-ABYT\" special=\"1\"/>\n"
                                    "<livery title=\"A320 Unwanted\"/>\n</AIG-regcodes>\n";

const std::string g_validUserFile = "A320 Unwanted\r\nB744 Retro ; D-ABYT\r\nA321 Team ; D-AIDA, D-AIDB ; #\r\n";

std::string lf_mutate(const std::string& text, std::mt19937& engine)
{
    static const char g_specialBytes[] = "<>\"'=,;/&#\n\r\t \xEF\xBB\xBF\xFF\xFE\x00";
    return testsupport::mutate(text, engine, {g_specialBytes, sizeof g_specialBytes - 1});
}

class FuzzTest : public AircraftTest {};

TEST_F(FuzzTest, DamagedDatabasesLoadOrFailCleanly)
{
    std::mt19937 engine(7001);
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        gf_resetDbase();
        writeEncrypted(g_dbaseEncPath, lf_mutate(g_validDbase, engine));
        try {
            if (gf_readDbase())
                ++loaded;
            // the lookups work on whatever was loaded
            (void)gf_getHalfWingspan("A320");
            (void)gf_findDbaseRecord("DAIMA");
            (void)gf_findPublisher("orbit works");
        } catch (const brv::UserErrorException& e) {
            EXPECT_TRUE(e.code() == 60 || e.code() == 61) << e.code();
        }
        ASSERT_FALSE(fs::exists(g_dbaseXmlPath)) << "round " << round;
    }
    EXPECT_GT(loaded, 0);
}

TEST_F(FuzzTest, DamagedRegcodeListsReadOrFailCleanly)
{
    std::mt19937 engine(7002);
    for (int round = 0; round < 300; ++round) {
        writeFile(g_regcodesXmlPath, lf_mutate(g_validRegcodes, engine));
        std::vector<RegcodeEntry> entries;
        (void)gf_readAigRegcodes(entries);
        for (const auto& entry : entries)
            EXPECT_FALSE(entry.title.empty());
    }
}

TEST_F(FuzzTest, DamagedUserFilesReadOrFailCleanly)
{
    std::mt19937 engine(7003);
    const fs::path folder = "input/my_regcodes";
    for (int round = 0; round < 300; ++round) {
        std::string content = lf_mutate(g_validUserFile, engine);
        if (round % 3 == 1)
            content = "\xFF\xFE" + content; // read as UTF-16 whatever follows
        else if (round % 3 == 2)
            content = "\xFE\xFF" + content;
        writeFile(folder / "mine.txt", content);
        std::vector<RegcodeEntry> entries;
        (void)gf_readMyRegcodes(folder, entries);
        for (const auto& entry : entries) {
            for (const auto& regcode : entry.regcodes)
                EXPECT_TRUE(regcode.size() >= 3 && regcode.size() <= 12) << regcode;
        }
    }
}

} // namespace
