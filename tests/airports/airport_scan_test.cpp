// The add-on airport scan over a packages folder of BGL files made by the test writer, with the
// stock files of a file:// site: links, generated files, skips, off-line learning, stops.
#include "airports/airport_scan.h"
#include "airports/archive_links.h"
#include "airports/scan_walk.h"
#include "airports_fixture.h"
#include "foundation/program.h"
#include "foundation/text_utils.h"
#include "support/bgl_writer.h"

#include <fmt/format.h>
#include <set>
#include <system_error>

using namespace airportstest;
using namespace bglwriter;

namespace {

class ScanTest : public AirportsTest {
protected:
    ScanTest()
    {
        const fs::path packages = folder.path() / "aircraft-discovery" / "Packages"; // skip names above Community
        community = packages / "Community";
        fs::create_directories(community);
        fs::create_directories(g_infoFolder);
        MSFS_INSTALL_PATH.value.set(packages.string());
        MSFS_2024_INSTALL_PATH.value.set(packages.string());
        g_maxTasks = 4;
        g_runningTasks = 0;
        g_dbase.publishers = {{"Orbx"}, {"Fly Tampa", "flytampa"}, {"Tropical Sim", "tropicalsim"}};
        BglHandoff handoff = gf_archiveHandoff();
        handoff.linkArchivedAirport = [this, link = handoff.linkArchivedAirport](auto&... args) {
            maxRunning = std::max(maxRunning.load(), g_runningTasks.load());
            g_stop = g_stop || stopInTask;
            return link(args...);
        };
        gf_setBglHandoff(handoff);
    }
    ~ScanTest() override { gf_setBglHandoff({}); }
    // one airport with `stands` stands, `helipads` of them helipads (before the parking list, which ends the airport)
    void bgl(const std::string& path, const char* code, std::uint32_t stands, std::uint32_t helipads = 0)
    {
        std::string subrecords;
        std::vector<Parking> list;
        for (std::uint32_t i = 0; i < stands; ++i)
            i < helipads ? void(subrecords += helipad(52.3 + i * 0.01, 4.7)) : list.push_back({.number = i});
        writeFile(community / path, file({{airport(identWord(code), subrecords + parkingList(list))}}));
    }
    std::string scan()
    {
        gf_scanAddonAirports();
        std::set<std::string> files;
        for (const fs::path& dir : {g_simAddonAirportFolder, g_userAirportFolder, g_learningFolder})
            for (const auto& entry : fs::exists(dir) ? fs::directory_iterator(dir) : fs::directory_iterator())
                files.insert(entry.path().generic_string());
        return fmt::format("{}", fmt::join(files, " "));
    }
    fs::path community;
    std::atomic<int> maxRunning{0};
    std::atomic<bool> stopInTask{false};
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
void expectParts(const std::string& text, const std::vector<std::string>& parts)
{
    for (const std::string& part : parts)
        EXPECT_TRUE(has(text, part)) << part;
}

TEST_F(ScanTest, LinksGeneratedFilesSkipsAndOfflineLearningIn2020Mode)
{
    g_dbase.simAddonAirports = {"LFPG"};
    g_dbase.thirdParties2020 = {{"Orbx", {"EGLL120", "EGKK120"}}, {"Fly Tampa", {"EHAM3"}}, {"Orbx", {"EGSS9"}}};
    bgl("orbx-egll/scenery/EGLL.bgl", "EGLL", 120);
    bgl("orbx-egkk/scenery/a.bgl", "EGKK", 121);
    bgl("orbx-egss/scenery/a.bgl", "EGSS", 9); // only the first list of a publisher is looked in
    bgl("flytampa-eham/scenery/b.BGL", "EHAM", 3);
    bgl("microsoft-airport-lfpg/scenery/c.bgl", "LFPG", 200);
    bgl("microsoft-airport-lfpo/scenery/c.bgl", "LFPO", 5);
    bgl("nobody-kjfk/scenery/d.bgl", "KJFK", 3, 2);
    writeFile(community / "nobody-kjfk/manifest.json", R"({"manufacturer": "Nobody Inc", "creator": null})");
    bgl("tropicalsim-kmci/scenery/KMCI.bgl", "KMCI", 1, 1);
    for (const char* skipped : {"fsltl-traffic-base/scenery/EDDB.bgl", "nobody-kjfk/scenery/statics/EDDB.bgl",
                                "nobody-kjfk/scenery/EDDB.Bgl", "nobody-kjfk/AFCAD Updates/EDDB.bgl",
                                "nobody-kjfk/_heliports/EDDB.bgl"})
        bgl(skipped, "EDDB", 4);
    writeFile(community / "nobody-kjfk/scenery/o.bgl", file({{airport(identWord("EDDB")), 0x65}}));
    const std::size_t prefix = (community / "long/").string().size();
    bgl("long/" + std::string(245 - prefix, 'f') + ".bgl", "EDDF", 2); // 249 characters
    bgl("long/" + std::string(246 - prefix, 'g') + ".bgl", "EDDG", 2);
    fs::create_symlink("loop.bgl", community / "orbx-egll/loop.bgl");
    const std::string rated = "<parameter name='Qf_real' value='0'/><parameter name='RT_traffic_week' value='{}'/>";
    for (const std::string code : {"EGKK", "KJFK", "KMCI", "EGSS"})
        putStock(code, apfText("", fmt::format(fmt::runtime(rated), code == "EGSS" ? 27 : 28)));

    EXPECT_EQ(scan(), "TBLO/EGKK.xml airports/my_simaddon/LFPG.txt airports/my_simaddon/LFPO.xml "
                      "airports/my_thirdparty/EDDF.xml airports/my_thirdparty/EGKK.txt "
                      "airports/my_thirdparty/EGLL.txt airports/my_thirdparty/EGSS.xml "
                      "airports/my_thirdparty/EHAM.txt airports/my_thirdparty/KJFK.xml");
    EXPECT_EQ(readFile("airports/my_thirdparty/EGLL.txt") + readFile("airports/my_thirdparty/EHAM.txt") +
                  readFile("airports/my_simaddon/LFPG.txt"),
              "archive/thirdparty/Orbx/EGLL.xml\narchive/thirdparty/Fly%20Tampa/EHAM.xml\narchive/simaddon/LFPG.xml\n");
    const std::string report = readFile(g_airportsScanLogPath);
    expectParts(report, {"===> EGKK has 121 parkpos while archived one has 120\n",
                         "Generated EGKK.xml: 121 positions\n", "Generated KJFK.xml: 3 positions, of which 2 helipads",
                         "Generated KMCI.xml: 1 position, of which 1 helipad\n",
                         "Scanning for addon airports in " + community.string() + "\n",
                         "===>  airports search in folder " + community.string() + " aborted, cause: filesystem"});
    expectParts(readFile("Log.txt"),
                {(community.parent_path() / "Official").string() + " does not exist, skipped!",
                 "The scan will search 2 folders", "Airports scan successful", "AirportsScanLog.txt written",
                 fmt::format("zip folder '{}', and mail to {}", (folder.path() / "TBLO").string(),
                             g_supportMailAddress)});
    EXPECT_TRUE(!SCAN_AIRPORTS.value && g_tbloCount == 1 && maxRunning <= 4 && g_runningTasks == 0);
}

TEST_F(ScanTest, UnrecognisedAirportsAndALinkThatCannotBeWrittenIn2024Mode)
{
    g_msfs2020Mode = false;
    loadAirports("<airport code='EGKK' lat='51' lon='0' alt='0'/><airport code='LFPG' lat='49' lon='2' alt='0'/>"
                 "<airport code='EDDM' lat='48' lon='11' alt='0'/>");
    g_dbase.simAddonAirports = {"EGLL"};
    g_dbase.thirdParties2024 = {{"Orbx", {"EGKK5", "LFPG5", "EDDM5"}}};
    const std::string undecoded = file({{record(0x113, 8) + airport(identWord("EGKK"), parkingList({{}}))}});
    const std::pair<std::string, std::string> packages[] = { // the BGL file, the manifest's title
        {"orbx-a/scenery/egkk.bgl", "x"}, {"orbx-b/scenery/x.bgl", "LFPG Paris"},
        {"orbx-eddm-c/scenery/y.bgl", "Munich"}, {"orbx-d/scenery/z.bgl", "Nowhere"}};
    for (const auto& [path, title] : packages) {
        writeFile(community / path, undecoded);
        writeFile(community / path.substr(0, path.find('/')) / "manifest.json", R"({"title": ")" + title + "\"}");
    }
    bgl("microsoft-airport-egll/scenery/u.bgl", "EGLL", 2);
    fs::create_directories("airports/my_simaddon/EGLL.txt/x");

    EXPECT_EQ(scan(), "airports/my_simaddon/EGLL.txt airports/my_simaddon/EGLL.xml airports/my_thirdparty/EDDM.txt "
                      "airports/my_thirdparty/EGKK.txt airports/my_thirdparty/LFPG.txt");
    const std::string lost = "==================> Not recognised airport lost ... '" + community.string();
    expectParts(readFile(g_airportsScanLogPath),
                {"Not recognised airport has ICAO code 'EGKK' as BGL stem",
                 "Not recognised airport has ICAO 'LFPG' in title", "Not recognised airport has ICAO 'EDDM' in BGL",
                 "===> Linking airports/my_simaddon/EGLL.txt did not succeed", lost + "/orbx-d/scenery/z.bgl'"});
    EXPECT_TRUE(folder.logHas("The scan will search 1 folder"));
}

TEST_F(ScanTest, NothingFoundAndAReportThatCannotBeWritten)
{
    g_scanFoundAny = true; // an earlier scan found something
    fs::create_directories(g_airportsScanLogPath / "x");
    EXPECT_EQ(scan(), "");
    expectParts(readFile("Log.txt"), {"problems with removing previous files (maybe still open?): Directory not empty",
                                      "===> Failed to write file output/info/AirportsScanLog.txt",
                                      "Warning: Scan has not found any add-on airports",
                                      "All your third party airports are done, no off line learning needed."});
    EXPECT_FALSE(folder.logHas("output/info/AirportsScanLog.txt written") || SCAN_AIRPORTS.value ||
                 fs::exists(g_learningFolder));
}

TEST_F(ScanTest, FailedTasksReachTheScanAndTheWalkGoesOn)
{
    const std::string bad = record(0xE7, 8, {{4, 1000U << 16}}); // a parking list of 1000 entries, none there
    for (const char* code : {"AAAA", "BBBB", "CCCC", "DDDD", "EEEE", "FFFF"})
        writeFile(community / "nobody" / (std::string(code) + ".bgl"), file({{airport(identWord(code), bad)}}));
    bgl("nobody/zz/GGGG.bgl", "GGGG", 1);
    EXPECT_EQ(scan(), "airports/my_thirdparty/GGGG.xml");
    // the throttle takes the oldest task when the list holds 5 (inner: the error, 5, the file), the drain the rest
    const std::vector<std::string> lines = gf_split(readFile(g_airportsScanLogPath), '\n');
    const auto inner = std::ranges::count(lines, "===>  airports search aborted, futs inner,");
    EXPECT_TRUE(inner >= 2 && std::ranges::count(lines, "5") == inner);
    const std::string outer = " aborted, futs outer error: word 42 beyond the end of the file (42 words)";
    EXPECT_EQ(inner + std::ranges::count(lines, "===>  airports search in " + community.string() + outer), 6);
}

TEST_F(ScanTest, AStopEndsTheWalkAtTheNextEntryAndLeavesTheScanOn)
{
    fs::create_symlink("loop.bgl", community / "loop.bgl");
    writeFile(community / "o.bgl", file({{airport(identWord("EDDB")), 0x65}}));
    g_stop = true; // before the walk: not even the entry whose status fails is looked at
    EXPECT_EQ(scan(), "");
    EXPECT_FALSE(has(readFile(g_airportsScanLogPath), "aborted"));
    EXPECT_TRUE(SCAN_AIRPORTS.value && folder.logHas("The airports scan was stopped, it runs again at the next start"));

    g_stop = false;
    g_maxTasks = 1;
    stopInTask = true; // the first task's stop ends the walk; that task is awaited
    for (const char* code : {"AAAA", "BBBB", "CCCC"})
        bgl(std::string("nobody/") + code + ".bgl", code, 2);
    EXPECT_EQ(scan().size(), std::string("airports/my_thirdparty/AAAA.xml").size());
    EXPECT_TRUE(SCAN_AIRPORTS.value && g_runningTasks == 0);
}

TEST(ScanTasks, CountedBeforeTheStartAndNotAfterAFailedStart)
{
    g_runningTasks = 0;
    EXPECT_EQ(gf_startCountedTask([] { return g_runningTasks.load(); }), 1);
    EXPECT_THROW(gf_startCountedTask([]() -> int { throw std::system_error(EAGAIN, std::generic_category()); }),
                 std::system_error);
    EXPECT_EQ(g_runningTasks.exchange(0), 1); // the first task's, which it would give back
}

} // namespace
