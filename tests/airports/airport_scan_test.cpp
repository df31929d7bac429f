// The add-on airport scan over a packages folder of BGL files made by the test writer, with the
// stock files of a file:// site: links, generated files, skips, off-line learning, stops.
#include "aircraft/dbase_reader.h"
#include "airports/airport_scan.h"
#include "airports/apf_download.h"
#include "airports/archive_links.h"
#include "airports/park_apf.h"
#include "airports/publisher_search.h"
#include "airports/scan_walk.h"
#include "airports_fixture.h"
#include "foundation/program.h"
#include "foundation/tasks.h"
#include "foundation/text_utils.h"
#include "platform/clock.h"
#include "support/bgl_writer.h"

#include <fmt/format.h>
#include <linux/capability.h>
#include <set>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

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
            ++links;
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
    std::atomic<int> links{0};
    std::atomic<int> maxRunning{0};
    std::atomic<bool> stopInTask{false};
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// While it lives, this thread (and the threads it starts) go without root's overrides of file
// permissions, so that a folder of mode 000 cannot be opened, as for any other user.
class NoPermissionOverrides {
public:
    NoPermissionOverrides()
    {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &m_header, lowered);
    }
    ~NoPermissionOverrides() { syscall(SYS_capset, &m_header, m_saved); }
    NoPermissionOverrides(const NoPermissionOverrides&) = delete;
    NoPermissionOverrides& operator=(const NoPermissionOverrides&) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};
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
    stopInTask = true; // the first airport's stop ends its task, before its file, and the walk
    const std::string list = parkingList({{}});
    for (const char* code : {"AAAA", "BBBB", "CCCC"})
        writeFile(community / "nobody" / (std::string(code) + ".bgl"),
                  file({{airport(identWord(code), list) + airport(identWord("EDDB"), list) +
                         airport(identWord("EDDF"), list)}}));
    EXPECT_EQ(scan(), "");
    EXPECT_TRUE(SCAN_AIRPORTS.value && links == 1 && g_runningTasks == 0) << links;
}

TEST_F(ScanTest, ASlowTaskIsReportedAndWaitedFor)
{
    platform::ManualClock clock;
    platform::setClock(&clock);
    const std::string overdue = "Future wait timed out after 10 seconds";
    BglHandoff handoff = gf_archiveHandoff();
    handoff.linkArchivedAirport = [&clock, &overdue, link = handoff.linkArchivedAirport](auto&... args) {
        // the program's clock runs on until the scan has reported the 10-second mark (30 real
        // seconds at most)
        for (int i = 0; i < 30000 && std::ranges::count(g_scanReport.lines(), overdue) == 0; ++i) {
            clock.advance(std::chrono::seconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return link(args...);
    };
    gf_setBglHandoff(handoff);
    g_maxTasks = 1;
    bgl("nobody/AAAA.bgl", "AAAA", 1);
    bgl("nobody/BBBB.bgl", "BBBB", 1);
    const std::string files = scan();
    platform::setClock(nullptr);
    EXPECT_EQ(files, "airports/my_thirdparty/AAAA.xml airports/my_thirdparty/BBBB.xml");
    const std::string report = readFile(g_airportsScanLogPath);
    EXPECT_TRUE(count(report, "===> futs #1 not yet valid ? ...\n") == 1 && count(report, overdue + "\n") == 1)
        << report;
}

// Packages linked in (one twice, one holding a link back up) are walked, each real folder once; a
// folder that cannot be opened is passed over with a report line, in whichever package the walk
// meets it first.
TEST_F(ScanTest, LinkedPackagesAreWalkedEachOnceAndLockedFoldersPassedOver)
{
    const fs::path store = community.parent_path() / "store";
    bgl("../store/pk-a/scenery/AAAA.bgl", "AAAA", 1);
    bgl("../store/pk-b/scenery/BBBB.bgl", "BBBB", 1);
    bgl("pk-c/scenery/CCCC.bgl", "CCCC", 1);
    fs::create_directory_symlink(store / "pk-a", community / "pk-a");
    fs::create_directory_symlink(store / "pk-a", community / "pk-a-again");
    fs::create_directory_symlink(store / "pk-b", community / "pk-b");
    fs::create_directory_symlink(store, store / "pk-b" / "scenery" / "up");
    const fs::path locked[] = {community / "pk-b" / "locked", community / "pk-c" / "locked"};
    for (const fs::path& path : locked) {
        fs::create_directories(path);
        fs::permissions(path, fs::perms::none);
    }
    std::string files;
    {
        const NoPermissionOverrides unprivileged;
        files = scan();
    }
    for (const fs::path& path : locked)
        fs::permissions(path, fs::perms::owner_all);
    EXPECT_EQ(files, "airports/my_thirdparty/AAAA.xml airports/my_thirdparty/BBBB.xml airports/my_thirdparty/CCCC.xml");
    const std::string report = readFile(g_airportsScanLogPath);
    EXPECT_TRUE(count(report, "Generated AAAA.xml") == 1 && count(report, "Generated BBBB.xml") == 1) << report;
    for (const fs::path& path : locked)
        EXPECT_TRUE(has(report, fmt::format("===>  folder {} skipped, it cannot be opened: Permission denied\n",
                                            path.string())))
            << report;
}

// A scenery file of 200 airports beside a manifest of 100 KB that names no publisher: the publisher
// is found once per file (twice for the package's two files), the manifest read once for both,
// and neither the report nor the parking files hold the manifest's texts whole.
TEST_F(ScanTest, ThePublisherIsFoundOncePerFile)
{
    const std::string maker(50000, 'm');
    writeFile(community / "nobody-many/manifest.json",
              R"({"manufacturer": ")" + maker + R"(", "creator": ")" + maker + "\"}");
    const std::string list = parkingList({{}});
    std::string airports;
    for (int i = 0; i < 200; ++i)
        airports += airport(identWord(fmt::format("K{:03}", i)), list);
    writeFile(community / "nobody-many/scenery/a.bgl", file({{airports}}));
    bgl("nobody-many/scenery/b.bgl", "EDDB", 1);
    scan();
    const std::string report = readFile(g_airportsScanLogPath);
    EXPECT_EQ(count(report, "Try find publisher in: "), 2U);
    EXPECT_EQ(count(report, "/nobody-many/manifest.json found\n"), 2U);
    EXPECT_EQ(count(report, "Generated "), 201U);
    EXPECT_LT(report.size(), 64U * 1024);
    EXPECT_LT(fs::file_size(g_userAirportFolder / "K199.xml"), 4096U);
}

// A package of 4,000 scenery files in one folder beside a manifest of 1 MiB: the scan lists the
// folder and the package folder once each and reads the manifest once, for every file's search.
TEST_F(ScanTest, APackageOfManyFilesIsListedAndItsManifestReadOnce)
{
    const std::string head = R"({"creator": "Nobody", "x": ")";
    writeFile(community / "nobody-big/manifest.json", head + std::string((1 << 20) - head.size() - 2, 'x') + "\"}");
    ASSERT_EQ(fs::file_size(community / "nobody-big/manifest.json"), 1U << 20);
    constexpr int files = 4000;
    const std::string list = parkingList({{}});
    for (int i = 0; i < files; ++i) {
        const std::string code = fmt::format("{}{}{}{}", char('A' + i / 1000), char('A' + i / 100 % 10),
                                             char('A' + i / 10 % 10), char('A' + i % 10));
        writeFile(community / "nobody-big/scenery" / (code + ".bgl"), file({{airport(identWord(code), list)}}));
    }
    const ManifestLookups before = gf_manifestLookups();
    scan();
    const ManifestLookups after = gf_manifestLookups();
    EXPECT_EQ(after.foldersListed - before.foldersListed, 2);
    EXPECT_EQ(after.manifestsRead - before.manifestsRead, 1);
    const std::string report = readFile(g_airportsScanLogPath);
    EXPECT_EQ(count(report, "/nobody-big/manifest.json found\n"), std::size_t{files});
    EXPECT_EQ(count(report, "Generated "), std::size_t{files});
}

// Folder links that lead out of the packages are passed over with a line each, and nothing outside
// the packages is opened: links in the packages folder to the root, to the folder that holds the
// packages (with a scenery file outside any package), to the packages folder's parent and to
// itself, and a link inside a package. A linked package beside them is walked.
TEST_F(ScanTest, FolderLinksOutOfThePackagesArePassedOver)
{
    const fs::path outside = folder.path() / "outside";
    writeFile(outside / "pk/scenery/EDDX.bgl", file({{airport(identWord("EDDX"), parkingList({{}}))}}));
    bgl("../store/pk-a/scenery/AAAA.bgl", "AAAA", 1);
    bgl("pk-c/scenery/CCCC.bgl", "CCCC", 1);
    fs::create_directory_symlink(community.parent_path() / "store/pk-a", community / "pk-a");
    const auto lt_holds = [](const fs::path& target) {
        return fmt::format("its target {} holds the packages folder", fs::canonical(target).string());
    };
    const struct { fs::path link, target; std::string why; } links[] = {
        {community / "root", "/", "its target / is a root folder"},
        {community / "home", folder.path(), lt_holds(folder.path())},
        {community / "packages", community.parent_path(), lt_holds(community.parent_path())},
        {community / "self", community, lt_holds(community)},
        {community / "pk-c/scenery/deep", outside, "only a package of the packages folder is followed as a link"},
    };
    for (const auto& l : links)
        fs::create_directory_symlink(l.target, l.link);
    const int opened = inotify_init1(IN_NONBLOCK); // the openings of the folder outside and its entries
    inotify_add_watch(opened, outside.c_str(), IN_OPEN);
    EXPECT_EQ(scan(), "airports/my_thirdparty/AAAA.xml airports/my_thirdparty/CCCC.xml");
    char event[4096];
    EXPECT_EQ(read(opened, event, sizeof event), -1); // none
    close(opened);
    const std::string report = readFile(g_airportsScanLogPath);
    EXPECT_EQ(count(report, "passed over"), std::size(links)) << report;
    for (const auto& l : links)
        EXPECT_TRUE(has(report, fmt::format("===>  folder link {} passed over, {}\n", l.link.string(), l.why)))
            << l.why;
}

TEST_F(ScanTest, AGeneratedFileOfAKnownPublisherKeepsItsPathFromCommunityOn)
{
    const std::string community = "/sim/Packages/Community/orbx-a/scenery/a.bgl";
    const std::string official = "/sim/Packages/Official/OneStore/a.bgl";
    const struct { const char* publisher; std::string path, handedOn; } cases[] = {
        {"Orbx", community, "Community/orbx-a/scenery/a.bgl"},
        {"simaddon", community, "Community/orbx-a/scenery/a.bgl"},
        {"unknown", community, community},
        {"Orbx", official, official},
    };
    const BglHandoff handoff = gf_archiveHandoff();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ApfParameters params;
        params.code = "EGLL";
        params.BGLpath = cases[i].path;
        params.publisher = cases[i].publisher;
        params.stands.emplace_back("g1", std::vector<StandOption>{}, StandPosition{51.47, -0.45, 1.0}, 20.0, true,
                                   false, true);
        handoff.generateAirportFile(params);
        EXPECT_EQ(params.BGLpath, cases[i].handedOn) << i;
    }
}

// Every entry of the shipped thirdparty lists (in the database the build encrypts) links to a file
// of the shipped download site that has as many stands as the entry says.
TEST_F(ScanTest, ShippedThirdpartyEntriesNameSiteFilesWithTheirStandCounts)
{
    gf_resetDbase(); // without the fixture's publishers
    fs::copy_file(fs::path(TRWK_DATA_INPUT_DIR) / "dbase.enc", g_dbaseEncPath);
    ASSERT_TRUE(gf_readDbase());
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (fs::path(TRWK_SOURCE_DIR) / "data/site").string() + "/");
    const BglHandoff handoff = gf_archiveHandoff();
    for (const bool msfs2020 : {true, false}) {
        g_msfs2020Mode = msfs2020;
        for (const ThirdPartyAirports& list : msfs2020 ? g_dbase.thirdParties2020 : g_dbase.thirdParties2024) {
            for (const std::string& entry : list.airports) {
                const std::string what = fmt::format("{} {} {}", msfs2020 ? 2020 : 2024, list.publisher, entry);
                ApfParameters params;
                params.code = entry.substr(0, 4);
                std::int32_t archived = -1;
                const fs::path bgl = community / list.publisher / "scenery" / "a.bgl";
                ASSERT_TRUE(handoff.linkArchivedAirport(params, archived, handoff.findPublisher(bgl.string())))
                    << what;
                EXPECT_EQ(params.publisher, list.publisher) << what;
                const std::string link = readFile(g_userAirportFolder / (params.code + ".txt"));
                ASSERT_EQ(gf_downloadApf(link.substr(0, link.find('\n')), "got.xml"), "") << what;
                Apf doc;
                ASSERT_TRUE(doc.load_file("got.xml")) << what;
                std::vector<Stand> stands;
                gf_readApfStands(doc, stands);
                EXPECT_TRUE(archived > 0 && stands.size() == static_cast<std::size_t>(archived) &&
                            gf_getApfInt(doc, "num_parkpos") == archived)
                    << what << ": " << stands.size();
            }
        }
    }
    EXPECT_FALSE(folder.logHas("invalid number"));
}

} // namespace
