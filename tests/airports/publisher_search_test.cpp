// The publisher of an add-on airport from its path and from the manifest.json of a package tree.
#include "airports/publisher_search.h"
#include "airports_fixture.h"

#include <fmt/format.h>

using namespace airportstest;

namespace {

class PublisherTest : public AirportsTest {};

TEST_F(PublisherTest, FromThePathThenTheManifest)
{
    g_dbase.publishers = {{"Orbx", "orbx"}, {"FlyTampa"}};
    writeFile("Official/p6/scenery/manifest.json", "[1]");
    const struct { std::string bgl, manifest; const char *publisher, *maker; std::string line; } cases[] = {
        {"Community/Microsoft-Airport-egll/scenery/a.bgl", R"({"creator":"orbx"})", "simaddon", "",
         "from filename => publisher simaddon"},
        {"Community/ORBX-egll/scenery/a.bgl", "", "Orbx", "", "publisher 'Orbx' found"},
        {"Community/p3/scenery/a.bgl", R"({"manufacturer":"FlyTampa Ltd","creator":null})", "FlyTampa", "FlyTampa Ltd/",
         "from manifest.json: manufacturer 'FlyTampa Ltd' => publisher 'FlyTampa'"},
        {"Community/p4/scenery/a.bgl", R"({"manufacturer":"Nobody","creator":"orbx team"})", "Orbx", "Nobody/orbx team",
         "from manifest.json: creator 'orbx team' => publisher 'Orbx'"},
        {"Community/p5/scenery/a.bgl", R"({"manufacturer":"Nobody","creator":""})", "unknown", "Nobody/",
         "no valid info found in manifest about publisher, manufacturer:'Nobody', creator:'' "
         "Community/p5/scenery/a.bgl"},
        {"Official/p6/scenery/a.bgl", "{\"creator\":\r\n\"orbx\"}", "Orbx", "/orbx", "Official/p6/manifest.json found"},
        {"Community/p7/scenery/a.bgl", "{oops", "unknown", "", "===> No publisher found"},
        {"Community/p8/scenery/a.bgl", R"({"title":7})", "unknown", "",
         "exception in gf_searchManifest: [json.exception.type_error.302] type must be string, but is number"},
        {(folder.path() / "Official/p9/a.bgl").string(), "", "unknown", "", "===> No publisher found"}, // to the root
    };
    for (const auto& c : cases) {
        if (!c.manifest.empty()) // in the package folder, above scenery
            writeFile(fs::path(c.bgl).parent_path().parent_path() / "manifest.json", c.manifest);
        g_scanReport.clear();
        const PublisherInfo info = gf_findAirportPublisher(c.bgl);
        EXPECT_EQ(info.publisher, c.publisher) << c.bgl;
        const bool maker = !info.manufacturer.empty() || !info.creator.empty();
        EXPECT_EQ(maker ? info.manufacturer + "/" + info.creator : "", c.maker) << c.bgl;
        EXPECT_EQ(g_scanReport.lines().front(), "\nTry find publisher in: " + c.bgl);
        EXPECT_EQ(std::ranges::count(g_scanReport.lines(), c.line), 1) << c.bgl;
    }
}

// A manifest of more than 1 MiB is taken as none, with one line; the texts of one within it are
// cut at a character to 256 bytes and three dots, so that a publisher named later is not seen and
// the report stays short.
TEST_F(PublisherTest, ALargeManifestIsNoneAndLongTextsAreCut)
{
    g_dbase.publishers = {{"Orbx", "orbx"}};
    const auto lt_manifest = [](const std::string& creator, std::size_t bytes) {
        const std::string head = R"({"creator": ")" + creator + R"(", "x": ")";
        return head + std::string(bytes - head.size() - 2, 'x') + "\"}";
    };
    std::string euros; // three bytes each: 85 of them fill 255 bytes
    for (int i = 0; i < 1000; ++i)
        euros += "\u20AC";
    const std::string cut = euros.substr(0, 255) + "...";
    const struct { std::string manifest; const char* publisher; std::string creator; bool refused; } cases[] = {
        {lt_manifest("orbx", 1 << 20), "Orbx", "orbx", false},
        {lt_manifest("orbx", (1 << 20) + 1), "unknown", "", true},
        {lt_manifest(euros + " orbx", 4096), "unknown", cut, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string package = fmt::format("Community/p{}", i);
        writeFile(package + "/manifest.json", cases[i].manifest);
        g_scanReport.clear();
        const PublisherInfo info = gf_findAirportPublisher(package + "/scenery/a.bgl");
        EXPECT_EQ(info.publisher, cases[i].publisher) << i;
        EXPECT_EQ(info.creator, cases[i].creator) << i;
        const std::vector<std::string> lines = g_scanReport.lines();
        const std::string refusal = fmt::format("===> {}/manifest.json taken as no manifest: {} bytes, more than 1 MiB",
                                                package, cases[i].manifest.size());
        EXPECT_EQ(std::ranges::count(lines, refusal), cases[i].refused ? 1 : 0) << i;
        EXPECT_LT(fmt::format("{}", fmt::join(lines, "")).size(), 1000U) << i; // the report's bytes
    }
    writeFile("Community/t/manifest.json", R"({"title": ")" + euros + R"("})");
    EXPECT_EQ(gf_readManifest("Community/t/manifest.json").title, cut);
}

// While a scan runs, the searches for the files of one folder list each folder once and read each
// manifest once, an unreadable one included, and every file's report lines stay as they were.
// After the scan nothing is kept: a manifest written then is found, by the next scan too.
TEST_F(PublisherTest, OneScanListsEachFolderAndReadsEachManifestOnce)
{
    g_dbase.publishers = {{"Orbx", "orbx"}};
    const struct { const char* package; std::string manifest, publisher, line; std::int64_t listed, read; } cases[] = {
        // the file's folder, the package folder, Community: three folders from a relative path
        {"p0", "", "unknown", "===> No publisher found", 3, 0},
        {"p1", R"({"creator": "orbx"})", "Orbx", "from manifest.json: creator 'orbx' => publisher 'Orbx'", 2, 1},
        {"p2", "{oops", "unknown",
         "exception in gf_searchManifest: [json.exception.parse_error.101] parse error at line 1, column 2: syntax "
         "error while parsing object key - invalid literal; last read: '{o'; expected string literal",
         2, 1},
    };
    constexpr int files = 200;
    for (const auto& c : cases) {
        const fs::path package = fs::path("Community") / c.package;
        if (!c.manifest.empty())
            writeFile(package / "manifest.json", c.manifest);
        g_scanReport.clear();
        const ManifestLookups before = gf_manifestLookups();
        {
            const ManifestScanCache scan;
            for (int i = 0; i < files; ++i) {
                const fs::path bgl = package / "scenery" / fmt::format("{}.bgl", i);
                writeFile(bgl, "");
                EXPECT_EQ(gf_findAirportPublisher(bgl.string()).publisher, c.publisher) << c.package << " " << i;
            }
        }
        const ManifestLookups after = gf_manifestLookups();
        EXPECT_EQ(after.foldersListed - before.foldersListed, c.listed) << c.package;
        EXPECT_EQ(after.manifestsRead - before.manifestsRead, c.read) << c.package;
        const std::vector<std::string> lines = g_scanReport.lines();
        EXPECT_EQ(std::ranges::count(lines, c.line), files) << c.package;
        const std::string found = (package / "manifest.json").string() + " found";
        EXPECT_EQ(std::ranges::count(lines, found), c.read == 0 ? 0 : files) << c.package;
    }
    writeFile("Community/p0/manifest.json", R"({"creator": "orbx"})");
    EXPECT_EQ(gf_findAirportPublisher("Community/p0/scenery/0.bgl").publisher, "Orbx");
    const ManifestScanCache next; // nor does the next scan know the last one's answers
    EXPECT_EQ(gf_findAirportPublisher("Community/p0/scenery/1.bgl").publisher, "Orbx");
}

} // namespace
