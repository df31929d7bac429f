// Scenery BGL files made by the test writer through the reader: what each airport hands on.
#include "airports/stand_limit.h"
#include "bgl_fixture.h"
#include "foundation/shell_state.h"
#include "foundation/tasks.h"
#include "support/bgl_writer.h"

#include <algorithm>
#include <atomic>
#include <fmt/format.h>
#include <fstream>
#include <future>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

using namespace airportstest;
using namespace bglwriter;

namespace {

const std::uint32_t g_eham = identWord("EHAM");

// `count` airports K000, K001, ..., each with one line of a report kind (a helipad of no width)
// and one of a log kind (a parking list of 65,535 positions, refused).
std::string lf_airportsOfTwoLines(int count)
{
    std::string records;
    for (int i = 0; i < count; ++i)
        records += airport(identWord(fmt::format("K{:03}", i)),
                           helipad(52.3, 4.7, NAN) + record(0xE7, 8, {{4, 0xFFFFU << 16}}));
    return records;
}

// The lines from `from` on that begin with `start`.
std::ptrdiff_t lf_countStarting(const std::vector<std::string>& lines, std::size_t from, const std::string& start)
{
    return std::count_if(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                         [&start](const std::string& line) { return line.starts_with(start); });
}

TEST_F(BglTest, PreCheckWantsAnAirportSectionInsideTheFile)
{
    const std::string one = file({{airport(g_eham)}});
    const std::pair<std::string, bool> cases[] = {
        {one, true}, {file({{"", 5}, {"", 3, true}}), true}, {file({{airport(g_eham), 5}}), false},
        {one.substr(0, 56), false}, {one.substr(0, 76), false}, {one.substr(0, 77), true}, // the table's end
        {file({{airport(g_eham)}}, 0), false},
        {file({{airport(g_eham)}}, 214748365), false}, // 20 x count wraps in 32 bits
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        writeFile("p.bgl", cases[i].first);
        EXPECT_EQ(gf_bglHasAirportSection("p.bgl"), cases[i].second) << i;
    }
}

TEST_F(BglTest, StandsAndHelipadsOfAnAirport)
{
    g_airportNames["EHAM"] = "Schiphol";
    std::vector<Parking> list{
        {.number = 5, .radius = 1.01F, .heading = 0.0F}, {.number = 6, .radius = 1.0F}, {.number = 6, .radius = 200.0F},
        {.number = 6, .radius = NAN}, {.code = 12, .type = 5, .number = 7, .airlines = 3, .radius = 199.9F},
        {.type = 0}, {.type = 12}, {.type = 13}, {.code = 3, .type = 14, .number = 2},
        {.code = 11, .type = 8, .number = 3}, {.code = 9, .type = 15, .number = 4}, {.number = 9, .heading = INFINITY},
        {.number = 9, .lon = 1U << 28, .lat = 1U << 27}, {.number = 10, .lon = lonRaw(0.0), .lat = latRaw(0.0)}};
    list.insert(list.end(), 11, Parking{.number = 5}); // twelve g5 in all
    const std::string helipads = helipad(52.3, 4.7) + helipad(52.3, 4.7) + helipad(52.31, 4.7, NAN) +
                                 helipad(52.32, 4.7, -30.0F) + helipad(0, 0) + helipad(52.31, 4.7, 40.0F);
    EXPECT_EQ(read(file({{airport(g_eham, helipads + parkingList(list))}})), "EHAM:18:0 ");
    const std::vector<Stand>& s = airports.at(0).stands;
    std::string names;
    for (const Stand& stand : s)
        names += stand.name + (stand.cargo ? "c" : "") + (stand.ramp ? "r" : "") + (stand.heli ? "h" : "") + " ";
    EXPECT_EQ(names, "helipad1h helipad2h g5r A7cr np2r 3 nwp4 g9r g5ar g5br g5cr g5dr g5er g5fr g5gr g5hr g5ir g5jr ");
    EXPECT_TRUE(s[2].heading == 2 * std::numbers::pi && std::abs(s[3].heading - std::numbers::pi / 2) < 1e-12);
    EXPECT_TRUE(std::abs(s[3].radius * 1852.0 - 199.9) < 1e-4 && std::abs(s[1].radius * 1852.0 - 20.0) < 1e-9);
    EXPECT_TRUE(s[7].latitude == 45.0 && s[7].longitude == -60.0 && std::abs(s[2].latitude - 52.3) < 1e-6);
    for (const char* line :
         {"Skipped position with radius 1.0 m in x.bgl", "Skipped position with radius 200.0 m in x.bgl",
          "Skipped position with radius NAN m in x.bgl", "Skipped position g9 with heading inf in x.bgl",
          "LatLon 0.000000,0.000000 invalid (skipped)", "===> Warning: more than 10 duplicate IDs g5 in x.bgl",
          "double helipad Schiphol (skipped) 52.300000,4.700000", "Skipped helipad with width NAN m in x.bgl",
          "Skipped helipad with width -30.0 m in x.bgl", "lat/lon helipad incorrect (skipped): 0.000000,0.000000"})
        EXPECT_TRUE(reported(line)) << line;
    EXPECT_EQ(g_scanReport.size(), 11U); // and "===> EHAM has 18 parkpos ..."
}

// The record and subrecord walks, with the log line a case writes, and where a walk that ends
// before its section or airport does says it stopped (the records of a file's one section begin at
// byte 92, an airport's subrecords 68 bytes after it).
TEST_F(BglTest, RecordAndSubrecordWalks)
{
    const auto lt_airport = [](const char* code, const std::string& sub = "") { return airport(identWord(code), sub); };
    const std::string heli = helipad(52.3, 4.7);
    const std::string list = parkingList({{}});
    std::string filler;
    for (int i = 0; i < 4999; ++i)
        filler += record(0x99, 8);
    const struct { std::string bytes, airports, log, stop; } cases[] = {
        {file({{lt_airport("AAAA"), 3, true}, {lt_airport("BBBB"), 5}, {record(0x99, 8) + lt_airport("CCCC")}}),
         "CCCC:0:0 ", "", ""},
        {file({{record(0x99, 8, {}, 0) + lt_airport("DDDD")}, {record(0x99, 8, {}, 2) + lt_airport("EEEE")}}), "", "",
         "204: a record of 2 bytes, not a multiple of 4"},
        {file({{airport(g_eham, "", 0, 0) + lt_airport("IIII")}, {lt_airport("GGGG")}}), "GGGG:0:0 ",
         "===>    Warning: decodeSizeAtBoundary returned 0 at o2 = 28", ""},
        {file({{record(0x113, 8) + lt_airport("FFFF")}}), "FFFF:0:0 ", "", ""},
        {file({{lt_airport("CCCC")}}, {}, 48), "", "", ""},
        {file({{lt_airport("EHA") + lt_airport("EHAMX") + lt_airport("EH M") + airport(g_eham, "", 3048000) +
                airport(identWord("K2A0"), "", 3048200) + airport(identWord("EDDF"), "", 0xFFFFFFFF) +
                airport(identWord("LOWW"), "", 183000)}}),
         "EHAM:0:10000 K2A0:0:0 EDDF:0:0 LOWW:0:600 ", "", ""}, // 10000.66 ft is too high, -1 mm is read unsigned
        {file({{lt_airport("EHAM", heli + record(0x99, 8, {}, 0) + list)}}), "EHAM:1:0 ",
         "   Warning: decodeSizeAtBoundary returned 0 at o3 = 49", ""},
        {file({{lt_airport("EHAM", helipad(52.3, 4.7, 30.0F, 2) + list)}}), "EHAM:1:0 ",
         "===>    Warning: decodeSizeAtBoundary returned 0 at o3 = 40",
         "160: a subrecord of 2 bytes in the airport EHAM, not a multiple of 4"},
        {file({{lt_airport("EHAM", list + parkingList({{.number = 2}}))}}), "EHAM:1:0 ", "", ""},
        {file({{lt_airport("EHAM", filler + heli)}}), "EHAM:1:0 ", "", ""},
        {file({{lt_airport("EHAM", filler + record(0x99, 8) + heli)}}), "EHAM:0:0 ",
         "   Error: Maximum loop iterations reached \xE2\x80\x94 possible corrupt SIA or malformed input.",
         "40160: more than 5000 subrecords in the airport EHAM"},
        {file({{airport(g_eham, heli, 0, 1000)}}), "EHAM:1:0 ",
         "   Error: o3=49 exceeded data buffer size (49), aborting.",
         "196: the airport EHAM runs on beyond the end of the file (196 bytes)"},
        {file({{lt_airport("AAAA", list) + record(0x99, 10) + lt_airport("BBBB", list)}}), "AAAA:1:0 ", "",
         "224: a record of 10 bytes, not a multiple of 4"},
        {file({{airport(g_eham, list, 0, 134) + lt_airport("BBBB")}}), "EHAM:1:0 ", "",
         "92: a record of 134 bytes, not a multiple of 4"}, // the airport itself is read
        {file({{lt_airport("EHAM", heli + helipad(52.4, 4.7, 30.0F, 38) + list) + lt_airport("BBBB", list)}}),
         "EHAM:2:0 BBBB:1:0 ", "", "196: a subrecord of 38 bytes in the airport EHAM, not a multiple of 4"},
        // the second of two parking entries is missing: the file ends there
        {file({{lt_airport("EHAM", parkingList({{}, {.number = 2}}).substr(0, 64))}}), "thrown", "",
         "224: word 56 beyond the end of the file (56 words)"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        g_scanReport.clear();
        std::string airportsRead;
        try {
            airportsRead = read(cases[i].bytes);
        } catch (const std::out_of_range&) {
            airportsRead = "thrown";
        }
        EXPECT_EQ(airportsRead, cases[i].airports) << i;
        EXPECT_TRUE(cases[i].log.empty() || folder.logHas(cases[i].log)) << i;
        std::vector<std::string> stops;
        std::ranges::copy_if(g_scanReport.lines(), std::back_inserter(stops),
                             [](const std::string& line) { return line.starts_with("===> Reading "); });
        const std::string expected = "===> Reading x.bgl stopped at byte " + cases[i].stop;
        EXPECT_EQ(stops, cases[i].stop.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected})
            << i;
    }
    std::string unrecognised;
    handoff.handleUnrecognisedAirport = [&unrecognised](const std::string& path) { unrecognised += path; };
    g_msfs2020Mode = false; // the file ends at an airport record that cannot be decoded
    EXPECT_EQ(read(file({{record(0x113, 8) + lt_airport("FFFF")}, {lt_airport("GGGG")}})), "");
    EXPECT_EQ(unrecognised, "x.bgl");
}

TEST_F(BglTest, LinkedAirportsAreGeneratedOnlyWithMoreStands)
{
    const std::string bytes = file({{airport(g_eham, parkingList({{.number = 1}, {.number = 2}}))}});
    const struct { bool linked; const char* publisher; int archived; bool msfs2020, generated, reported; } cases[] = {
        {false, "unknown", 0, true, true, true},   {true, "Orbx", 2, true, false, false},
        {true, "Orbx", 1, true, true, true},       {true, "simaddon", 0, true, false, false},
        {false, "simaddon", 0, true, true, false}, {true, "Orbx", 1, false, false, false}, // 2024: not read
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        handoff.findPublisher = [&c](const std::string& path) { return PublisherInfo{path + c.publisher, "", ""}; };
        handoff.linkArchivedAirport = [&c](ApfParameters& p, std::int32_t& archived, const PublisherInfo& info) {
            p.publisher = info.publisher.substr(std::string("x.bgl").size());
            archived = c.archived;
            return c.linked && p.BGLpath == "x.bgl" && p.code == "EHAM";
        };
        g_scanReport.clear();
        g_msfs2020Mode = c.msfs2020;
        EXPECT_EQ(read(bytes), c.generated ? "EHAM:2:0 " : "") << i;
        const std::string line = fmt::format("===> EHAM has 2 parkpos while archived one has {}", c.archived);
        EXPECT_EQ(reported(line), c.reported) << i;
    }
}

TEST_F(BglTest, SectionsNamingTheSameRecordsReadThemOnce)
{
    std::string records = airport(g_eham);
    for (int i = 0; i < 20000; ++i)
        records += record(0x99, 8);
    EXPECT_EQ(read(sameRecordsFile(2000, records)), "EHAM:0:0 ");

    // two sections whose records follow each other: the first walk runs on over the second's
    const std::string two = bytes(56, {{4, 56}, {20, 2}}) + sectionEntry(96) + sectionEntry(112) +
                            bytes(16, {{8, 128}}) + bytes(16, {{8, 196}}) + airport(identWord("AAAA")) +
                            airport(identWord("BBBB"));
    EXPECT_EQ(read(two), "AAAA:0:0 BBBB:0:0 ");
}

TEST_F(BglTest, SectionEntriesIntoTheHeaderOrTheTableAreRefused)
{
    const std::string eham = airport(g_eham, parkingList({{}}));
    const struct { std::string bytes, airports; } cases[] = {
        {bytes(56, {{4, 56}, {20, 1}}) + sectionEntry(76) + bytes(16, {{8, 92}}) + eham, "EHAM:1:0 "},
        {bytes(56, {{4, 56}, {8, 76}, {20, 1}}) + sectionEntry(0) + eham, ""}, // the header names the records
        {bytes(56, {{4, 56}, {20, 1}}) + sectionEntry(56, 76) + eham, ""},     // the entry itself does
        // the records begin in the header, with one whose size leads to the airport
        {bytes(56, {{4, 56}, {8, 0x99 | 84U << 16}, {20, 1}}) + sectionEntry(76) + bytes(16, {{8, 8}}) + eham, ""},
        {bytes(56, {{4, 56}, {20, 0xFFFFFFFF}}) + sectionEntry(76) + bytes(16, {{8, 92}}) + eham, ""}, // all table
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(read(cases[i].bytes), cases[i].airports) << i;
}

TEST_F(BglTest, AWalkGivesUpPastItsStepsOrOnAStop)
{
    // airports of 76 bytes, each with a list of 300 entries that runs on over the airports after it
    std::string records;
    for (int i = 0; i < 300; ++i)
        records += airport(g_eham, record(0xE7, 8, {{4, 300U << 16}}));
    const std::string overlapping = file({{records + std::string(300 * 56, '\0')}});
    const std::size_t handedOn = read(overlapping).size() / std::string("EHAM:0:0 ").size();
    EXPECT_TRUE(handedOn > 0 && handedOn < 300 / 4) << handedOn; // as many as the file's words pay for
    const std::size_t words = overlapping.size() / 4;
    const std::vector<std::string> lines = g_scanReport.lines();
    EXPECT_TRUE(std::ranges::any_of(lines, [words](const std::string& line) {
        return line.starts_with("===> Reading x.bgl stopped at byte ") &&
               line.ends_with(fmt::format(": given up after {} steps, a malformed file", words));
    }));

    g_scanReport.clear();
    g_stop = true;
    EXPECT_EQ(read(file({{airport(g_eham, parkingList({{}}))}})), "");
    EXPECT_EQ(g_scanReport.size(), 0U);
}

TEST_F(BglTest, AParkingListBeyondAnyAirportIsRefused)
{
    std::vector<Parking> list(g_maxAirportStands);
    for (std::uint32_t i = 0; i < list.size(); ++i)
        list[i] = {.code = 10 + i / 4096, .number = i % 4096, .lon = lonRaw(4.7 + i * 1e-5)};
    const std::string full = parkingList(list);
    EXPECT_EQ(read(file({{airport(g_eham, full)}})), fmt::format("EHAM:{}:0 ", g_maxAirportStands));
    EXPECT_EQ(read(file({{airport(g_eham, helipad(52.3, 4.7) + full)}})), "EHAM:1:0 ");
    // 65,535 declared, none there: refused before any is read
    EXPECT_EQ(read(file({{airport(g_eham, record(0xE7, 8, {{4, 0xFFFFU << 16}}))}})), "EHAM:0:0 ");
    for (const std::uint32_t count : {5000U, 65535U})
        EXPECT_TRUE(folder.logHas(fmt::format(
            "   Error: parking list of {} positions at EHAM refused, an airport has at most 5000 in x.bgl", count)))
            << count;
}

TEST_F(BglTest, TruncatedFilesEndTheirTasksWithTheSlotsBack)
{
    const std::string bytes = file({{airport(g_eham, helipad(52.3, 4.7) + parkingList({{}, {.number = 2}}))}});
    std::atomic<int> generated{0};
    int failed = 0;
    gf_setBglHandoff({{}, {}, [&generated](ApfParameters&) { ++generated; }, {}});
    g_maxTasks = 4;
    {
        TaskPool pool(4); // one file cut at each byte per task, on the scans' workers
        std::vector<std::future<void>> tasks;
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            writeFile(fmt::format("cut{}.bgl", cut), bytes.substr(0, cut));
            std::packaged_task<void()> task([cut] { gf_processBGLfile(fmt::format("cut{}.bgl", cut)); });
            tasks.push_back(task.get_future());
            pool.post(std::move(task));
        }
        for (auto& task : tasks) {
            try {
                task.get();
            } catch (const std::out_of_range&) {
                ++failed;
            }
        }
    }
    gf_setBglHandoff({});
    EXPECT_EQ(g_runningTasks.load(), 0);
    EXPECT_TRUE(generated > 0 && failed > 0) << generated << " " << failed;
    EXPECT_TRUE(
        folder.logHas("===> Exception in lf_processBGLfile: cut0.bgl: word 1 beyond the end of the file (0 words)"));
}

// Of each kind of line about a stand, a helipad or a walk's stop, a file writes five; one more line
// gives the number left out. Each airport below gives one line of each stand and helipad kind.
TEST_F(BglTest, TheReportHoldsFiveLinesOfEachKindPerFile)
{
    const std::string helipads =
        helipad(0, 0) + helipad(52.3, 4.7, NAN) + helipad(52.3, 4.7) + helipad(52.3, 4.7); // the last a double
    std::vector<Parking> list{{.radius = 1.0F}, {.number = 2, .heading = INFINITY},
                              {.number = 3, .lon = lonRaw(0.0), .lat = latRaw(0.0)}};
    list.insert(list.end(), 12, Parking{.number = 5}); // the twelfth g5 a duplicate too many
    std::string records;
    for (int i = 0; i < 12; ++i)
        records += airport(identWord(fmt::format("K{:03}", i)), helipads + parkingList(list));
    const std::string twelve = file({{records}});
    const struct { std::string line, kind; } kinds[] = {
        {"Skipped position with radius 1.0 m in {}", "Skipped position with radius"},
        {"Skipped position g2 with heading inf in {}", "Skipped position ... with heading"},
        {"LatLon 0.000000,0.000000 invalid (skipped)", "LatLon ... invalid (skipped)"},
        {"===> Warning: more than 10 duplicate IDs g5 in {}", "Warning: more than 10 duplicate IDs"},
        {"lat/lon helipad incorrect (skipped): 0.000000,0.000000", "lat/lon helipad incorrect"},
        {"Skipped helipad with width NAN m in {}", "Skipped helipad with width"},
        {"double helipad  (skipped) 52.300000,4.700000", "double helipad"},
    };
    EXPECT_EQ(read(twelve, "x.bgl").size(), 12 * std::string("K000:12:0 ").size());
    EXPECT_EQ(read(twelve, "y.bgl").size(), 12 * std::string("K000:12:0 ").size());
    const std::vector<std::string> lines = g_scanReport.lines();
    EXPECT_EQ(lines.size(), 2 * (std::size(kinds) * 6 + 12)); // and "===> K000 has 12 parkpos ..." per airport
    for (const auto& [line, kind] : kinds) {
        for (const char* path : {"x.bgl", "y.bgl"}) {
            const std::string text = fmt::format(fmt::runtime(line), path);
            // a line without the file's path counts both files' five
            EXPECT_EQ(std::ranges::count(lines, text), text == line ? 10 : 5) << text;
            EXPECT_EQ(std::ranges::count(lines, fmt::format("===> 7 more lines \"{}\" left out for {}", kind, path)), 1)
                << kind << " " << path;
        }
    }

    // 10 MB of sections, each naming one record of 5 bytes: each section's walk stops there
    g_scanReport.clear();
    const std::vector<Section> stops(238000, Section{record(0x99, 8, {}, 5)});
    const std::string tenMegabytes = file(stops);
    ASSERT_GT(tenMegabytes.size(), 10'000'000U);
    EXPECT_EQ(read(tenMegabytes), "");
    const std::vector<std::string> stopLines = g_scanReport.lines();
    EXPECT_EQ(stopLines.size(), 6U);
    EXPECT_EQ(std::ranges::count_if(stopLines,
                                    [](const std::string& line) {
                                        return line.starts_with("===> Reading x.bgl stopped at byte ") &&
                                               line.ends_with(": a record of 5 bytes, not a multiple of 4");
                                    }),
              5);
    EXPECT_TRUE(reported("===> 237995 more lines \"Reading ... stopped at byte\" left out for x.bgl"));

    // the log's lines of a walk are bound the same way: 10,000 airports, each with a subrecord of size 0
    std::string empties;
    for (int i = 0; i < 10000; ++i)
        empties += airport(identWord(fmt::format("Z{:03}", i % 1000)), record(0x99, 8, {}, 0));
    const std::size_t logBefore = folder.logLines().size();
    read(file({{empties}}), "z.bgl");
    const std::vector<std::string> log = folder.logLines();
    EXPECT_EQ(log.size() - logBefore, 6U);
    EXPECT_EQ(std::count_if(log.begin() + static_cast<std::ptrdiff_t>(logBefore), log.end(),
                            [](const std::string& line) {
                                return line.starts_with("   Warning: decodeSizeAtBoundary returned 0 at o3 = ");
                            }),
              5);
    EXPECT_TRUE(folder.logHas("===> 9995 more lines \"decodeSizeAtBoundary returned 0 at o3\" left out for z.bgl"));
}

// Seven parking lists refused in one file: five lines and the count in the log, none in the report.
TEST_F(BglTest, RefusedParkingListsAreCountedInTheLogOnly)
{
    const std::size_t logBefore = folder.logLines().size();
    EXPECT_EQ(read(file({{lf_airportsOfTwoLines(7)}})).size(), 7 * std::string("K000:0:0 ").size());
    const std::vector<std::string> log = folder.logLines();
    EXPECT_EQ(log.size() - logBefore, 6U);
    EXPECT_EQ(lf_countStarting(log, logBefore, "   Error: parking list of 65535 positions at K00"), 5);
    EXPECT_TRUE(folder.logHas("===> 2 more lines \"Error: parking list of\" left out for x.bgl"));
    const std::vector<std::string> report = g_scanReport.lines();
    EXPECT_EQ(report.size(), 6U) << fmt::format("{}", fmt::join(report, "\n")); // the helipads' five and count
    EXPECT_TRUE(reported("===> 2 more lines \"Skipped helipad with width\" left out for x.bgl"));
    EXPECT_EQ(std::ranges::count_if(report,
                                    [](const std::string& line) {
                                        return line.find("Error: parking list of") != std::string::npos;
                                    }),
              0);
}

// A walk that ends in an exception after seven lines of a report kind and seven of a log kind
// still counts the two left out of each, in the report and in the log.
TEST_F(BglTest, AWalkEndingInAnExceptionCountsTheLinesLeftOut)
{
    const std::string seven = lf_airportsOfTwoLines(7);
    std::string overlapping; // each airport's list runs on over the airports after it
    for (int i = 0; i < 40; ++i)
        overlapping += airport(g_eham, record(0xE7, 8, {{4, 40U << 16}}));
    overlapping += std::string(40 * 56, '\0');
    const std::string cut = file({{seven + airport(g_eham, parkingList({{}, {.number = 2}}))}});
    // the stop line's end: 92 bytes before the records, 112 for each of the seven airports
    const struct { const char* name; std::string bytes; bool thrown; const char* stop; } cases[] = {
        {"a parking entry beyond the file", cut.substr(0, cut.size() - 56), true,
         ": word 252 beyond the end of the file (252 words)"},
        {"a subsection table beyond the file",
         bytes(56, {{4, 56}, {20, 2}}) + sectionEntry(96) + sectionEntry(1'000'000) + bytes(16, {{8, 112}}) + seven,
         true, ": word 250002 beyond the end of the file (224 words)"},
        {"given up after its steps", file({{seven + overlapping}}), false, ": given up after 1539 steps, a malformed file"},
    };
    for (const auto& c : cases) {
        g_scanReport.clear();
        const std::size_t logBefore = folder.logLines().size();
        bool thrown = false;
        try {
            read(c.bytes, "w.bgl");
        } catch (const std::out_of_range&) {
            thrown = true;
        }
        EXPECT_EQ(thrown, c.thrown) << c.name;
        const std::vector<std::string> report = g_scanReport.lines();
        EXPECT_EQ(std::ranges::count(report, "Skipped helipad with width NAN m in w.bgl"), 5) << c.name;
        EXPECT_TRUE(reported("===> 2 more lines \"Skipped helipad with width\" left out for w.bgl")) << c.name;
        const std::vector<std::string> log = folder.logLines();
        EXPECT_EQ(lf_countStarting(log, logBefore, "   Error: parking list of 65535 positions at K00"), 5) << c.name;
        EXPECT_EQ(lf_countStarting(log, logBefore, "===> 2 more lines \"Error: parking list of\" left out for w.bgl"),
                  1)
            << c.name;
        EXPECT_TRUE(std::ranges::any_of(report, [&c](const std::string& line) {
            return line.starts_with("===> Reading w.bgl stopped at byte ") && line.ends_with(c.stop);
        })) << c.name;
    }
}

} // namespace
