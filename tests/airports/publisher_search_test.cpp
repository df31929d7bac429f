// The publisher of an add-on airport from its path and from the manifest.json of a package tree.
#include "airports/publisher_search.h"
#include "airports/scan_report.h"
#include "airports_fixture.h"

using namespace airportstest;

namespace {

class PublisherTest : public AirportsTest {
protected:
    PublisherTest()
    {
        g_scanReport.clear();
        g_dbase.publishers = {{"Orbx", "orbx"}, {"FlyTampa"}};
    }
    ~PublisherTest() override { g_scanReport.clear(); }
};

TEST_F(PublisherTest, FromThePathThenTheManifest)
{
    for (const auto& [path, text] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Community/microsoft-airport-egll/manifest.json", R"({"creator":"orbx"})"},
             {"Community/p3/manifest.json", R"({"manufacturer":"FlyTampa Ltd","creator":null})"},
             {"Community/p4/manifest.json", R"({"manufacturer":"Nobody","creator":"orbx team"})"},
             {"Community/p5/manifest.json", R"({"manufacturer":"Nobody","creator":"", "title":7})"},
             {"Official/p6/scenery/manifest.json", "[1]"},
             {"Official/p6/manifest.json", "{\"creator\":\r\n\"orbx\"}"},
             {"Community/p7/manifest.json", "{oops"}})
        writeFile(path, text);
    const std::string lost = (folder.path() / "Official/p9/a.bgl").string();
    const struct { std::string bgl; const char* publisher; const char* maker; std::string line; } cases[] = {
        {"Community/Microsoft-Airport-egll/scenery/a.bgl", "simaddon", "", "from filename => publisher simaddon"},
        {"Community/ORBX-egll/scenery/a.bgl", "Orbx", "", "publisher 'Orbx' found"},
        {"Community/p3/scenery/a.bgl", "FlyTampa", "FlyTampa Ltd/",
         "from manifest.json: manufacturer 'FlyTampa Ltd' => publisher 'FlyTampa'"},
        {"Community/p4/scenery/a.bgl", "Orbx", "Nobody/orbx team",
         "from manifest.json: creator 'orbx team' => publisher 'Orbx'"},
        {"Community/p5/scenery/a.bgl", "unknown", "", "exception in gf_searchManifest: [json.exception.type_error.302] "
                                                      "type must be string, but is number"},
        {"Official/p6/scenery/x/a.bgl", "Orbx", "/orbx", "Official/p6/manifest.json found"},
        {"Community/p7/scenery/a.bgl", "unknown", "", "===> No publisher found"},
        {lost, "unknown", "", "===> No publisher found"},
    };
    for (const auto& c : cases) {
        g_scanReport.clear();
        const PublisherInfo info = gf_findAirportPublisher(c.bgl);
        EXPECT_EQ(info.publisher, c.publisher) << c.bgl;
        EXPECT_EQ(info.manufacturer + (info.creator.empty() && info.manufacturer.empty() ? "" : "/") + info.creator,
                  c.maker) << c.bgl;
        const auto lines = g_scanReport.lines();
        EXPECT_EQ(lines.front(), "\nTry find publisher in: " + c.bgl);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.bgl;
    }
}

TEST_F(PublisherTest, UnknownPublisherKeepsTheManifestTexts)
{
    writeFile("Community/p5/manifest.json", R"({"manufacturer":"Nobody","creator":""})");
    const PublisherInfo info = gf_findAirportPublisher("Community/p5/scenery/a.bgl");
    EXPECT_TRUE(info.publisher == "unknown" && info.manufacturer == "Nobody" && info.creator.empty());
    EXPECT_EQ(g_scanReport.lines().back(), "no valid info found in manifest about publisher, manufacturer:'Nobody', "
                                           "creator:'' Community/p5/scenery/a.bgl");
    EXPECT_FALSE(gf_searchManifest("Community/p9/a.bgl").found);
}

} // namespace
