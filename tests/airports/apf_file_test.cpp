#include "airports/apf_file.h"

#include "airports_fixture.h"

#include <limits>

namespace {

using namespace airportstest;

class ApfFileTest : public AirportsTest {
protected:
    static StandOption option(std::string reg, std::string airl, std::string type, std::string cs, std::string cs2,
                              std::int32_t real, std::int32_t id = 1)
    {
        StandOption o{std::move(airl), std::move(type), std::move(reg), std::move(cs), std::move(cs2), {}, id, 3, 1, real};
        o.hh.set(4).set(5).set(47);
        return o;
    }
    static Stand stand(std::string name, double radiusMetres, bool cargo, bool ramp, bool heli,
                       std::vector<StandOption> options = {})
    {
        return Stand(std::move(name), std::move(options), StandPosition{52.3086, 4.7639, 1.5707963267948966},
                     radiusMetres, !cargo, !ramp, !heli);
    }
    // Writes the stands, then reads every parkpos back.
    std::vector<Stand> roundTrip(std::vector<Stand> stands, std::uint32_t mode, bool handmade)
    {
        ApfParameters params{"EHAM", "Schiphol", "", "Asobo", "", "", 61, 7, -11, std::move(stands)};
        EXPECT_TRUE(gf_writeApf(params, "apf.xml", mode, handmade));
        text = readFile("apf.xml");
        Apf doc;
        EXPECT_TRUE(doc.load_file("apf.xml"));
        std::vector<Stand> read;
        for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos"))
            gf_readParkpos(parkpos, parkpos.attribute("id").as_string(), 1, read);
        return read;
    }
    bool has(const std::string& part) const { return text.find(part) != std::string::npos; }

    std::string text;
};

TEST_F(ApfFileTest, LearnedFileKeepsOptionsAndTheChangesOnly)
{
    g_dbase.records = {{"PH-BXA", {"KLM", "B738", "", false}}, {"D-AINA", {"DLH", "A20N", "CLH", false}}};
    std::vector<Stand> stands;
    stands.push_back(stand("D7", 25.0, false, false, false,
                           {option("PH-BXA", "XXX", "A320", "KLM1602", "KLM1603", 1),
                            option("N123", "UAL", "B789", "", "", 0, 2), option("D-AINA", "", "", "DLH1", "", 1, 0)}));
    stands.push_back(stand("HELI1", 11.0, true, false, true));
    stands.back().radius_change = true;
    stands.back().radius = 12.0 * g_nmPerMetre;
    const auto read = roundTrip(std::move(stands), g_apfLearnedMode, false);

    // unchanged: the name alone, with its options; changed: the change alone
    EXPECT_TRUE(has("<parkpos id=\"D7\">"));
    EXPECT_TRUE(has("<parkpos id=\"HELI1\" radius_change=\"true\" radius=\"12.0\" />"));
    EXPECT_TRUE(has("<opt reg=\"PH-BXA\" day=\"3\" hh=\"4,5,47\" cs=\"KLM1602:KLM1603\" />"));
    EXPECT_TRUE(has("<opt reg=\"N123\" airl=\"UAL\" type=\"B789\" soft=\"true\" day=\"3\" hh=\"4,5,47\" />"));
    EXPECT_FALSE(has("D-AINA")); // a disabled option
    EXPECT_TRUE(read.empty()); // a learned file holds no positions: it only amends its parking file
}

TEST_F(ApfFileTest, FullFileRoundTrip)
{
    std::vector<Stand> stands;
    stands.push_back(stand("S74", 25.0, true, false, false));
    stands.push_back(stand("HELI1", 11.0, true, true, true));
    stands.back().manual = true;
    const auto read = roundTrip(std::move(stands), g_apfFullMode, false);
    EXPECT_TRUE(has("<parkpos id=\"S74\" latitude=\"52.308600\" longitude=\"4.763900\" heading=\"90.0\" "
                    "radius=\"25.0\" cargo=\"true\" ramp=\"false\" />"));
    EXPECT_TRUE(has("heli=\"true\" ramp=\"true\" manual=\"true\" />"));
    EXPECT_FALSE(has("handmade") || has("LATERAL_RANGE") || has("<opt"));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_NEAR(read[0].radius, 0.0134989, 1e-7);
    EXPECT_NEAR(read[0].heading, 1.5707963, 1e-7);
    EXPECT_TRUE(read[0].cargo && !read[0].ramp && !read[0].heli);
    EXPECT_TRUE(read[1].heli && read[1].ramp && !read[1].cargo);
}

TEST_F(ApfFileTest, HandmadeFileWritesEveryStandWhole)
{
    g_dbase.records = {{"PH-BXA", {"KLM", "B738", "", false}}};
    std::vector<Stand> stands;
    stands.push_back(stand("D7", 20.0, false, false, false, {option("PH-BXA", "XXX", "A320", "KLM1", "", 1)}));
    stands.back().radius_change = stands.back().cargo_change = true;
    stands.back().cargo = true;
    stands.push_back(stand("D8", 20.0, false, false, false));
    const auto read = roundTrip(std::move(stands), g_apfLearnedMode, true);
    EXPECT_TRUE(has("<parameter name=\"handmade\" value=\"true\" />"));
    EXPECT_TRUE(has("<parameter name=\"Qf_real\" value=\"61\" />"));
    EXPECT_TRUE(has("radius=\"20.0\" cargo=\"true\" ramp=\"false\" radius_change=\"true\" cargo_change=\"true\">"));
    ASSERT_EQ(read.size(), 2u); // the changed stand keeps its position
    EXPECT_TRUE(read[0].cargo);
    ASSERT_EQ(read[0].options.size(), 1u);
    const StandOption& o = read[0].options[0];
    EXPECT_EQ(o.airl + o.type + o.cs + o.cs2, "KLMB738KLM1"); // the database overrides the file
    EXPECT_EQ(o.optionId * 100 + o.day * 10 + static_cast<std::int32_t>(o.fromApf), 131);
}

TEST_F(ApfFileTest, LearnedParametersAndTheWeekAsABoolean)
{
    RANGE.value = 60;
    MAX_LIVE_SEL.value = 75;
    WEEK.value = true;
    ApfParameters params{"EHAM", "Schiphol", "a.bgl", "unknown", "m", "c", 0, 0, 0, {}};
    ASSERT_TRUE(gf_writeApf(params, "apf.xml", g_apfLearnedMode, false));
    Apf doc;
    ASSERT_TRUE(doc.load_file("apf.xml"));
    std::string names;
    for (const pugi::xml_node& p : doc.child("parameters").children())
        names += std::string(p.attribute("name").value()) + " ";
    EXPECT_EQ(names, "airport_name publisher num_parkpos BGLpath manufacturer creator LATERAL_RANGE AUTO_RANGE WEEK "
                     "PARK_FAKE PARK_SOFT parking_percentage INITIAL_LOAD_ONLY MAX_FIT RT_PARKTRAFFIC_ONLY MAX_LIVE "
                     "LEARN_SOFT ");
    EXPECT_EQ(gf_getApfInt(doc, "LATERAL_RANGE"), 60);
    EXPECT_EQ(gf_getApfInt(doc, "MAX_LIVE"), 75);
    EXPECT_EQ(gf_getApfString(doc, "WEEK"), "true");
    EXPECT_EQ(gf_getApfStrictBool(doc, "WEEK"), true);

    // older files hold "28": no boolean, the option stays as it is
    ASSERT_TRUE(doc.load_string("<parameters><parameter name='WEEK' value='28'/><parameter name='A'/>"
                                "<parameter name='B' value='99999999999'/><parameter name='C' value='-99999999999'/>"
                                "</parameters>"));
    EXPECT_EQ(gf_getApfStrictBool(doc, "WEEK"), std::nullopt);
    EXPECT_EQ(gf_getApfBool(doc, "WEEK"), false);
    EXPECT_EQ(gf_getApfBool(doc, "A"), false); // no value: false, 0, empty - not missing
    EXPECT_EQ(gf_getApfInt(doc, "A"), 0);
    EXPECT_EQ(gf_getApfString(doc, "A"), "");
    EXPECT_EQ(gf_getApfInt(doc, "missing"), std::nullopt);
    EXPECT_EQ(gf_getApfInt(doc, "B"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(gf_getApfInt(doc, "C"), std::numeric_limits<std::int32_t>::min());
}

TEST_F(ApfFileTest, QualityFactors)
{
    auto lt_stands = [](std::vector<std::vector<StandOption>> optionsPerStand) {
        std::vector<Stand> stands;
        for (auto& options : optionsPerStand)
            stands.emplace_back("S", std::move(options), StandPosition{}, 30.0, true, true, true);
        return stands;
    };
    const StandOption real = option("R", "", "", "", "", 1); // 1 option, 1 day, 3 half hours: 10126
    const StandOption soft = option("S", "", "", "", "", 0);
    const StandOption off = option("O", "", "", "", "", 1, 0);
    const struct {
        std::vector<std::vector<StandOption>> stands;
        std::int32_t real, soft;
        const char* shown;
    } cases[] = {
        {{}, -1, -1, "  "},
        {{{}, {}}, -1, -1, "  "},
        {{{real}}, 63, 0, "63"},
        {{{real}, {}}, 32, 0, "32/ 0"},
        {{{real, soft}, {soft}}, 32, 63, "32/63"},
        {{{off}}, 0, 0, " 0/ 0"},
    };
    for (const auto& c : cases) {
        const PackedQf qf = gf_computeQf(lt_stands(c.stands));
        EXPECT_EQ(gf_qfReal(qf), c.real) << c.shown;
        EXPECT_EQ(gf_qfSoft(qf), c.soft) << c.shown;
        EXPECT_EQ(gf_formatQf(qf), c.shown);
    }
    EXPECT_EQ(gf_formatQf(gf_packQf(44, 7)), "44/ 7");
    EXPECT_EQ(gf_formatQf(gf_packQf(45, 7)), "45");
}

} // namespace
