// Scenery BGL files made by the test writer through the reader: what each airport hands on.
#include "airports/bgl_reader.h"
#include "airports/scan_report.h"
#include "airports_fixture.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "support/bgl_writer.h"

#include <cmath>
#include <fmt/format.h>
#include <numbers>

using namespace airportstest;
namespace bw = bglwriter;

namespace {

const std::uint32_t g_eham = bw::identWord("EHAM");

class BglTest : public AirportsTest {
protected:
    BglTest()
    {
        g_scanReport.clear();
        handoff.generateAirportFile = [this](ApfParameters& p) { airports.push_back(p); };
        handoff.handleUnrecognisedAirport = [this](const std::string& path) { unrecognised.push_back(path); };
    }
    ~BglTest() override { g_scanReport.clear(); }
    const std::vector<ApfParameters>& read(const std::string& bytes)
    {
        airports.clear();
        gf_readBglAirports(bytes, "x.bgl", handoff);
        return airports;
    }
    std::string codes() const
    {
        std::string text;
        for (const ApfParameters& a : airports)
            text += a.code + " ";
        return text;
    }
    static bool reported(const std::string& line)
    {
        const auto lines = g_scanReport.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    BglHandoff handoff;
    std::vector<ApfParameters> airports;
    std::vector<std::string> unrecognised;
};

TEST_F(BglTest, PreCheckWantsAnAirportSectionInsideTheFile)
{
    const std::string one = bw::file({{bw::airport(g_eham)}});
    const std::pair<std::string, bool> cases[] = {
        {one, true},
        {bw::file({{"", 5}, {"", 3, true}}), true}, // the bit-16 test is the task's
        {bw::file({{bw::airport(g_eham), 5}}), false},
        {one.substr(0, 56), false},
        {one.substr(0, 76), false}, // the table ends where the file does
        {one.substr(0, 77), true},
        {bw::file({{bw::airport(g_eham)}}, 0), false},
        {bw::file({{bw::airport(g_eham)}}, 214748365), false}, // 56 + 20 x count passes 2^32
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        writeFile("p.bgl", cases[i].first);
        EXPECT_EQ(gf_bglHasAirportSection("p.bgl"), cases[i].second) << i;
    }
    EXPECT_FALSE(gf_bglHasAirportSection("missing.bgl"));
}

TEST_F(BglTest, StandsOfATaxiwayParkingList)
{
    using P = bw::Parking;
    std::vector<P> list{{.number = 5, .radius = 1.01F, .heading = 0.0F},
                        {.number = 6, .radius = 1.0F},
                        {.number = 6, .radius = 200.0F},
                        {.number = 6, .radius = NAN},
                        {.code = 12, .type = 5, .number = 7, .airlines = 3, .radius = 199.9F},
                        {.type = 0},
                        {.type = 12},
                        {.type = 13},
                        {.code = 3, .type = 14, .number = 2},
                        {.code = 11, .type = 8, .number = 3},
                        {.code = 9, .type = 15, .number = 4},
                        {.number = 9, .heading = NAN},
                        {.number = 9, .lon = 1U << 28, .lat = 1U << 27}, // 45 N, 60 W
                        {.number = 10, .lon = bw::lonRaw(0.0), .lat = bw::latRaw(0.0)}};
    list.insert(list.end(), 11, P{.number = 5}); // twelve g5 in all
    const auto& stands = read(bw::file({{bw::airport(g_eham, bw::parkingList(list))}})).at(0).stands;
    std::string names;
    for (const Stand& s : stands)
        names += s.name + (s.cargo ? "c" : "") + (s.ramp ? "r" : "") + " ";
    EXPECT_EQ(names, "g5r A7cr np2r 3 nwp4 g9r g5ar g5br g5cr g5dr g5er g5fr g5gr g5hr g5ir g5jr ");
    ASSERT_EQ(stands.size(), 16U);
    EXPECT_DOUBLE_EQ(stands[0].heading, 2 * std::numbers::pi);
    EXPECT_NEAR(stands[1].heading, std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(stands[1].radius * 1852.0, 199.9, 1e-4);
    EXPECT_NEAR(stands[0].latitude, 52.3, 1e-6);
    EXPECT_TRUE(stands[5].latitude == 45.0 && stands[5].longitude == -60.0 && !stands[0].heli);
    for (const char* line : {"Skipped position with radius 1.0 m in x.bgl", "Skipped position with radius 200.0 m in x.bgl",
                             "Skipped position with radius NAN m in x.bgl", "Skipped position g9 with heading nan in x.bgl",
                             "LatLon 0.000000,0.000000 invalid (skipped)",
                             "===> Warning: more than 10 duplicate IDs g5 in x.bgl"})
        EXPECT_TRUE(reported(line)) << line;
    EXPECT_TRUE(reported("===> EHAM has 16 parkpos while archived one has 0"));
    EXPECT_EQ(g_scanReport.size(), 7U);
}

TEST_F(BglTest, HelipadsNumberedWithoutDoublesOrBadWidths)
{
    g_airportNames["EHAM"] = "Schiphol";
    const auto& stands = read(bw::file({{bw::airport(g_eham, bw::helipad(52.3, 4.7) + bw::helipad(52.3, 4.7) +
                                                                    bw::helipad(52.31, 4.7, NAN) + bw::helipad(0, 0) +
                                                                    bw::helipad(52.31, 4.7, 40.0F))}}))
                             .at(0)
                             .stands;
    ASSERT_EQ(stands.size(), 2U);
    EXPECT_TRUE(stands[0].name == "helipad1" && stands[1].name == "helipad2" && stands[1].heli && !stands[1].ramp);
    EXPECT_NEAR(stands[1].radius * 1852.0, 20.0, 1e-9);
    EXPECT_TRUE(reported("double helipad Schiphol (skipped) 52.300000,4.700000"));
    EXPECT_TRUE(reported("Skipped helipad with width NAN m in x.bgl"));
    EXPECT_TRUE(reported("lat/lon helipad incorrect (skipped): 0.000000,0.000000"));
}

TEST_F(BglTest, IdentsAndAltitudes)
{
    const struct { const char* ident; std::uint32_t mm; int feet; } cases[] = {
        {"EHAM", 3048000, 10000}, {"K2A0", 3048200, 0}, // 10000.66 ft
        {"EDDF", 0xFFFFFFFF, 0},  {"LOWW", 183000, 600}, {"EHA", 0, 0}, {"EHAMX", 0, 0}, {"EH M", 0, 0}};
    std::string records;
    for (const auto& c : cases)
        records += bw::airport(bw::identWord(c.ident), "", c.mm);
    read(bw::file({{records}}));
    EXPECT_EQ(codes(), "EHAM K2A0 EDDF LOWW ");
    for (std::size_t i = 0; i < airports.size(); ++i)
        EXPECT_EQ(airports[i].altitude, cases[i].feet) << i;
    EXPECT_EQ(g_scanReport.size(), 0U);
}

TEST_F(BglTest, RecordWalkOfTheSections)
{
    const auto lt_airport = [](const char* code) { return bw::airport(bw::identWord(code)); };
    const std::string zeroSized = bw::airport(bw::identWord("HHHH"), "", 0, 0);
    const std::string bytes = bw::file({{lt_airport("AAAA"), 3, true},
                                        {lt_airport("BBBB"), 5},
                                        {bw::record(0x99, 8, 10) + lt_airport("CCCC")}, // size cut down to 8
                                        {bw::record(0x99, 8, 0) + lt_airport("DDDD")},
                                        {bw::record(0x99, 8, 2) + lt_airport("EEEE")},
                                        {zeroSized + lt_airport("IIII")},
                                        {bw::record(0x113, 8) + lt_airport("FFFF")},
                                        {lt_airport("GGGG")}});
    read(bytes);
    EXPECT_EQ(codes(), "CCCC FFFF GGGG ");
    EXPECT_TRUE(folder.logHas(
        fmt::format("===>    Warning: decodeSizeAtBoundary returned 0 at o2 = {}", bytes.find(zeroSized) / 4)));
    g_msfs2020Mode = false;
    read(bytes);
    EXPECT_EQ(codes(), "CCCC ");
    EXPECT_EQ(unrecognised, std::vector<std::string>{"x.bgl"});
    EXPECT_TRUE(read(bw::file({{lt_airport("CCCC")}}, {}, 48)).empty());
}

TEST_F(BglTest, BadSubrecordsEndOnlyTheirAirport)
{
    const std::string heli = bw::helipad(52.3, 4.7);
    const std::string list = bw::parkingList({{}});
    std::string filler;
    for (int i = 0; i < 4999; ++i)
        filler += bw::record(0x99, 8);
    const struct { std::string subrecords; std::optional<std::uint32_t> size; std::size_t stands; std::string log; } cases[] = {
        {heli + bw::record(0x99, 8, 0) + list, {}, 1, "   Warning: decodeSizeAtBoundary returned 0 at o3 = 49"},
        {bw::helipad(52.3, 4.7, 30.0F, 2) + list, {}, 1, "===>    Warning: decodeSizeAtBoundary returned 0 at o3 = 40"},
        {list + bw::parkingList({{.number = 2}}), {}, 1, ""},
        {filler + heli, {}, 1, ""},
        {filler + bw::record(0x99, 8) + heli, {}, 0,
         "   Error: Maximum loop iterations reached \xE2\x80\x94 possible corrupt SIA or malformed input."},
        {heli, 1000, 1, "   Error: o3=49 exceeded data buffer size (49), aborting."},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(read(bw::file({{bw::airport(g_eham, cases[i].subrecords, 0, cases[i].size)}})).at(0).stands.size(),
                  cases[i].stands) << i;
        EXPECT_TRUE(cases[i].log.empty() || folder.logHas(cases[i].log)) << i;
    }
}

TEST_F(BglTest, LinkedAirportsAreGeneratedOnlyWithMoreStands)
{
    const std::string bytes = bw::file({{bw::airport(g_eham, bw::parkingList({{.number = 1}, {.number = 2}}))}});
    const struct { bool linked; const char* publisher; int archived; bool msfs2020, generated, reported; } cases[] = {
        {false, "unknown", 0, true, true, true},   {true, "Orbx", 2, true, false, false},
        {true, "Orbx", 1, true, true, true},       {true, "simaddon", 0, true, false, false},
        {false, "simaddon", 0, true, true, false}, {true, "Orbx", 1, false, false, false}, // 2024: not read
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        handoff.linkArchivedAirport = [&c](ApfParameters& p, std::int32_t& archived, const std::string& path) {
            p.publisher = c.publisher;
            archived = c.archived;
            return c.linked && path == "x.bgl" && p.code == "EHAM";
        };
        g_scanReport.clear();
        g_msfs2020Mode = c.msfs2020;
        EXPECT_EQ(read(bytes).size(), c.generated ? 1U : 0U) << i;
        EXPECT_EQ(reported(fmt::format("===> EHAM has 2 parkpos while archived one has {}", c.archived)), c.reported) << i;
    }
}

TEST_F(BglTest, TruncatedFilesEndTheTaskWithTheCounterBack)
{
    const std::string bytes =
        bw::file({{bw::airport(g_eham, bw::helipad(52.3, 4.7) + bw::parkingList({{}, {.number = 2}}))}});
    int generated = 0;
    handoff.generateAirportFile = [&generated](ApfParameters&) { ++generated; };
    gf_setBglHandoff(handoff);
    int failed = 0;
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        writeFile("cut.bgl", bytes.substr(0, cut));
        ++g_runningTasks;
        try {
            gf_processBGLfile("cut.bgl");
        } catch (const std::out_of_range&) {
            ++failed;
        }
        ASSERT_EQ(g_runningTasks.load(), 0) << cut;
    }
    gf_setBglHandoff({});
    EXPECT_TRUE(generated >= 1 && failed > 0) << generated << " " << failed;
    EXPECT_TRUE(folder.logHas("===> Exception in lf_processBGLfile: cut.bgl: word 1 beyond the end of the file (0 words)"));
}

} // namespace
