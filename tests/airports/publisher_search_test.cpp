// The publisher of an add-on airport from its path and from the manifest.json of a package tree.
#include "airports/publisher_search.h"
#include "airports/scan_report.h"
#include "airports_fixture.h"

using namespace airportstest;

namespace {

class PublisherTest : public AirportsTest {};

TEST_F(PublisherTest, FromThePathThenTheManifest)
{
    g_dbase.publishers = {{"Orbx", "orbx"}, {"FlyTampa"}};
    for (const auto& [path, text] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Community/microsoft-airport-egll/manifest.json", R"({"creator":"orbx"})"},
             {"Community/p3/manifest.json", R"({"manufacturer":"FlyTampa Ltd","creator":null})"},
             {"Community/p4/manifest.json", R"({"manufacturer":"Nobody","creator":"orbx team"})"},
             {"Community/p5/manifest.json", R"({"manufacturer":"Nobody","creator":""})"},
             {"Official/p6/scenery/manifest.json", "[1]"},
             {"Official/p6/manifest.json", "{\"creator\":\r\n\"orbx\"}"},
             {"Community/p7/manifest.json", "{oops"},
             {"Community/p8/manifest.json", R"({"title":7})"}})
        writeFile(path, text);
    const struct { std::string bgl; const char* publisher; const char* maker; std::string line; } cases[] = {
        {"Community/Microsoft-Airport-egll/scenery/a.bgl", "simaddon", "", "from filename => publisher simaddon"},
        {"Community/ORBX-egll/scenery/a.bgl", "Orbx", "", "publisher 'Orbx' found"},
        {"Community/p3/scenery/a.bgl", "FlyTampa", "FlyTampa Ltd/",
         "from manifest.json: manufacturer 'FlyTampa Ltd' => publisher 'FlyTampa'"},
        {"Community/p4/scenery/a.bgl", "Orbx", "Nobody/orbx team", "from manifest.json: creator 'orbx team' => publisher 'Orbx'"},
        {"Community/p5/scenery/a.bgl", "unknown", "Nobody/",
         "no valid info found in manifest about publisher, manufacturer:'Nobody', creator:'' Community/p5/scenery/a.bgl"},
        {"Official/p6/scenery/x/a.bgl", "Orbx", "/orbx", "Official/p6/manifest.json found"}, // the array passed over
        {"Community/p7/scenery/a.bgl", "unknown", "", "===> No publisher found"},
        {"Community/p8/a.bgl", "unknown", "",
         "exception in gf_searchManifest: [json.exception.type_error.302] type must be string, but is number"},
        {(folder.path() / "Official/p9/a.bgl").string(), "unknown", "", "===> No publisher found"}, // up to the root
    };
    for (const auto& c : cases) {
        g_scanReport.clear();
        const PublisherInfo info = gf_findAirportPublisher(c.bgl);
        EXPECT_EQ(info.publisher, c.publisher) << c.bgl;
        const bool maker = !info.manufacturer.empty() || !info.creator.empty();
        EXPECT_EQ(maker ? info.manufacturer + "/" + info.creator : "", c.maker) << c.bgl;
        const auto lines = g_scanReport.lines();
        EXPECT_EQ(lines.front(), "\nTry find publisher in: " + c.bgl);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.bgl;
    }
    g_scanReport.clear();
}

} // namespace
