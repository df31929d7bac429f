#include "airports/apf_file.h"

#include "airports/park_apf.h"
#include "airports_fixture.h"

#include <cstdint>

using namespace airportstest;

static StandOption lf_option(std::string reg, std::string airl, std::string cs, std::string cs2, std::int32_t real,
                      std::int32_t id = 1)
{
    StandOption o{std::move(airl), "B789", std::move(reg), std::move(cs), std::move(cs2), {}, id, 3, 1, real};
    o.hh.set(4).set(5).set(47);
    return o;
}

static Stand lf_stand(std::string name, double metres, bool cargo, bool ramp, bool heli, std::vector<StandOption> o = {})
{
    return Stand(std::move(name), std::move(o), StandPosition{52.3086, 4.7639, 1.5707963267948966}, metres, !cargo,
                 !ramp, !heli);
}

class ApfFileTest : public AirportsTest {
protected:
    // Writes the stands, then reads every parkpos back as the loader does.
    std::vector<Stand> roundTrip(std::vector<Stand> stands, std::uint32_t mode, bool handmade)
    {
        ApfParameters params{"EHAM", "Schiphol", "", "Asobo", "", "", 61, 7, -11, std::move(stands)};
        EXPECT_TRUE(gf_writeApf(params, "apf.xml", mode, handmade));
        text = readFile("apf.xml");
        Apf doc;
        EXPECT_TRUE(doc.load_file("apf.xml"));
        std::vector<Stand> read;
        gf_readApfStands(doc, read);
        return read;
    }
    bool has(const std::string& part) const { return text.find(part) != std::string::npos; }

    std::string text;
};

TEST_F(ApfFileTest, LearnedFileKeepsOptionsAndTheChangesOnly)
{
    g_dbase.records = {{"PH-BXA", {"KLM", "B738", "", false}}};
    std::vector<Stand> stands{lf_stand("D7", 25.0, false, false, false,
                                       {lf_option("PH-BXA", "XXX", "KLM1602", "KLM1603", 1),
                                        lf_option("N123", "UAL", "", "", 0, 2), lf_option("D-AINA", "DLH", "DLH1", "", 1, 0)}),
                              lf_stand("HELI1", 12.0, true, false, true)};
    stands.back().radius_change = true;
    EXPECT_TRUE(roundTrip(std::move(stands), g_apfLearnedMode, false).empty()); // no positions: they amend a file
    for (const char* part : {"<parkpos id=\"D7\">", "<parkpos id=\"HELI1\" radius_change=\"true\" radius=\"12.0\" />",
                             "<opt reg=\"PH-BXA\" day=\"3\" hh=\"4,5,47\" cs=\"KLM1602:KLM1603\" />",
                             "<opt reg=\"N123\" airl=\"UAL\" type=\"B789\" soft=\"true\" day=\"3\" hh=\"4,5,47\" />"})
        EXPECT_TRUE(has(part)) << part;
    EXPECT_FALSE(has("D-AINA")); // disabled
}

TEST_F(ApfFileTest, FullFileRoundTrip)
{
    std::vector<Stand> stands{lf_stand("S74", 25.0, true, false, false), lf_stand("HELI1", 11.0, true, true, true)};
    stands.back().manual = true;
    const auto read = roundTrip(std::move(stands), g_apfFullMode, false);
    EXPECT_TRUE(has("<parkpos id=\"S74\" latitude=\"52.308600\" longitude=\"4.763900\" heading=\"90.0\" "
                    "radius=\"25.0\" cargo=\"true\" ramp=\"false\" />"));
    EXPECT_TRUE(has("heli=\"true\" ramp=\"true\" manual=\"true\" />"));
    EXPECT_FALSE(has("handmade") || has("LATERAL_RANGE") || has("<opt"));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_NEAR(read[0].radius, 0.0134989, 1e-7);
    EXPECT_TRUE(read[0].cargo && !read[0].ramp && !read[0].heli && read[1].heli && read[1].ramp && !read[1].cargo);
}

TEST_F(ApfFileTest, HandmadeFileWritesEveryStandWhole)
{
    g_dbase.records = {{"PH-BXA", {"KLM", "B738", "", false}}};
    std::vector<Stand> stands{lf_stand("D7", 20.0, true, false, false, {lf_option("PH-BXA", "XXX", "KLM1", "", 1)}),
                              lf_stand("D8", 20.0, false, false, false)};
    stands.front().radius_change = stands.front().cargo_change = true;
    const auto read = roundTrip(std::move(stands), g_apfLearnedMode, true);
    EXPECT_TRUE(has("<parameter name=\"handmade\" value=\"true\" />") && has("<parameter name=\"Qf_real\" value=\"61\" />"));
    EXPECT_TRUE(has("radius=\"20.0\" cargo=\"true\" ramp=\"false\" radius_change=\"true\" cargo_change=\"true\">"));
    ASSERT_EQ(read.size(), 2u); // the changed stand keeps its position
    ASSERT_EQ(read[0].options.size(), 1u);
    const StandOption& o = read[0].options[0];
    EXPECT_EQ(o.airl + o.type + o.cs + o.cs2, "KLMB738KLM1"); // the database overrides the file
    EXPECT_TRUE(o.optionId == 1 && o.day == 3 && o.fromApf == 1);
}

TEST_F(ApfFileTest, LearnedParametersAndTheWeekAsABoolean)
{
    RANGE.value = 60;
    MAX_LIVE_SEL.value = 75;
    WEEK.value = true;
    ASSERT_TRUE(gf_writeApf({"EHAM", "Schiphol", "a.bgl", "unknown", "m", "c", 0, 0, 0, {}}, "apf.xml", 0, false));
    Apf doc;
    ASSERT_TRUE(doc.load_file("apf.xml"));
    std::string names;
    for (const pugi::xml_node& p : doc.child("parameters").children())
        names += std::string(p.attribute("name").value()) + " ";
    EXPECT_EQ(names, "airport_name publisher num_parkpos BGLpath manufacturer creator LATERAL_RANGE AUTO_RANGE WEEK "
                     "PARK_FAKE PARK_SOFT parking_percentage INITIAL_LOAD_ONLY MAX_FIT RT_PARKTRAFFIC_ONLY MAX_LIVE "
                     "LEARN_SOFT ");
    EXPECT_TRUE(gf_getApfInt(doc, "LATERAL_RANGE") == 60 && gf_getApfInt(doc, "MAX_LIVE") == 75);
    EXPECT_EQ(gf_getApfStrictBool(doc, "WEEK"), true);

    // older files hold "28": no boolean, the option stays as it is
    ASSERT_TRUE(doc.load_string("<parameters><parameter name='WEEK' value='28'/><parameter name='A'/>"
                                "<parameter name='B' value='99999999999'/><parameter name='C' value='-99999999999'/>"
                                "</parameters>"));
    EXPECT_EQ(gf_getApfStrictBool(doc, "WEEK"), std::nullopt);
    EXPECT_EQ(gf_getApfBool(doc, "WEEK"), false);
    EXPECT_TRUE(gf_getApfBool(doc, "A") == false && gf_getApfInt(doc, "A") == 0 && gf_getApfString(doc, "A") == "");
    EXPECT_EQ(std::vector({gf_getApfInt(doc, "missing"), gf_getApfInt(doc, "B"), gf_getApfInt(doc, "C")}),
              std::vector<std::optional<std::int32_t>>({std::nullopt, INT32_MAX, INT32_MIN}));
}

TEST_F(ApfFileTest, QualityFactors)
{
    const StandOption real = lf_option("R", "", "", "", 1); // 1 option, 1 day, 3 half hours: 10126
    const StandOption soft = lf_option("S", "", "", "", 0);
    const StandOption off = lf_option("O", "", "", "", 1, 0);
    const std::pair<std::vector<std::vector<StandOption>>, const char*> cases[] = {
        {{}, "  "}, {{{}, {}}, "  "}, {{{real}}, "63"}, {{{real}, {}}, "32/ 0"}, {{{real, soft}, {soft}}, "32/63"},
        {{{off}}, " 0/ 0"}};
    for (const auto& [optionsOfStands, shown] : cases) {
        std::vector<Stand> stands;
        for (const auto& options : optionsOfStands)
            stands.push_back(lf_stand("S", 30.0, true, true, true, options));
        EXPECT_EQ(gf_formatQf(gf_computeQf(stands)), shown);
    }
    EXPECT_EQ(gf_formatQf(gf_packQf(44, 7)), "44/ 7");
    EXPECT_EQ(gf_formatQf(gf_packQf(45, 7)), "45");
}

