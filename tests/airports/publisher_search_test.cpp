// The publisher of an add-on airport from its path and from the manifest.json of a package tree.
#include "airports/publisher_search.h"
#include "airports_fixture.h"

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

} // namespace
