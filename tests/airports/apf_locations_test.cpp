#include "airports/apf_download.h"
#include "airports/apf_locations.h"

#include "airports/nearest_airport.h"
#include "airports_fixture.h"

#include <httplib.h>

#include <algorithm>
#include <fmt/format.h>
#include <map>
#include <mutex>
#include <thread>

using namespace airportstest;

class ApfLocationsTest : public AirportsTest {};

TEST_F(ApfLocationsTest, SearchOrderOfTheUserFoldersAndTheStockArchive)
{
    const std::string apf = apfText(""), tp = "airports/my_thirdparty/EDDF.", sa = "airports/my_simaddon/EDDF.",
                      stock = "site/MSFS/archive/stock/EDDF.xml";
    const struct {
        std::map<std::string, std::string> files;
        const char* reference;
        bool exists;
    } cases[] = {
        {{{tp + "txt", "archive/thirdparty/Pub%20X/EDDF.xml   # mine\r\nsecond.xml"}, {tp + "xml", apf}},
         "archive/thirdparty/Pub%20X/EDDF.xml", true},
        {{{tp + "txt", "no reference"}, {tp + "xml", apf}}, "airports/my_thirdparty/EDDF.xml", true},
        {{{tp + "txt", ""}, {sa + "txt", "airports\\my_simaddon\\X.xml"}}, "airports/my_simaddon/X.xml", true},
        {{{sa + "xml", apf}, {stock, apf}}, "airports/my_simaddon/EDDF.xml", true},
        {{{stock, apf}}, "archive/stock/EDDF.xml", true},
        {{}, "", false},
    };
    for (const auto& c : cases) {
        for (const char* folder : {"airports/my_thirdparty", "airports/my_simaddon", "site"})
            fs::remove_all(folder);
        for (const auto& [path, text] : c.files)
            writeFile(path, text);
        EXPECT_EQ(gf_findApfReference("EDDF"), c.reference) << c.reference;
        EXPECT_EQ(gf_apfExists("EDDF"), c.exists) << c.reference;
    }
}

TEST_F(ApfLocationsTest, OneProbePerUnknownCodeAndTheFolderOfEachName)
{
    httplib::Server server;
    std::mutex mutex;
    std::vector<std::string> requests;
    server.Get(R"(/.*)", [&](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard lock(mutex);
        requests.push_back(request.path);
        response.status = request.path.find("ZZZZ") != std::string::npos ? 404 : 200;
        response.set_content(apfText(""), "text/xml");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::jthread serving([&server] { server.listen_after_bind(); });
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", fmt::format("http://127.0.0.1:{}/", port));
    g_msfs2020Mode = false;

    EXPECT_EQ(gf_findApfReference("ZZZZ"), "");
    EXPECT_FALSE(gf_apfExists("ZZZZ"));
    EXPECT_EQ(gf_downloadApf("archive/stock/EDDF.xml", "a.xml"), "");
    EXPECT_EQ(gf_downloadApf("archive/thirdparty/P/ZZZZ.xml", "c.xml"),
              fmt::format("failed to download: 'http://127.0.0.1:{}/MSFS2024/archive/thirdparty/P/ZZZZ.xml'", port));
    server.stop();
    std::lock_guard lock(mutex);
    EXPECT_EQ(requests, (std::vector<std::string>{"/MSFS/archive/stock/ZZZZ.xml", "/MSFS/archive/stock/ZZZZ.xml",
                                                  "/MSFS/archive/stock/EDDF.xml", "/MSFS2024/archive/thirdparty/P/ZZZZ.xml"}));
}

TEST_F(ApfLocationsTest, AFailedDownloadLeavesNoFileBehind)
{
    for (bool (*probe)(const std::string&) : {gf_downloadStockApf, gf_stockApfSuitableForLearning}) {
        writeFile("ZZZZ.xml", "an earlier copy");
        EXPECT_FALSE(probe("ZZZZ"));
        EXPECT_FALSE(fs::exists("ZZZZ.xml"));
    }
    EXPECT_TRUE(folder.logHas("===> Failed to download ZZZZ.xml"));
    writeFile("airports/my_thirdparty/ZZZZ.txt", "archive/thirdparty/Nobody/ZZZZ.xml");
    writeFile("airport.xml", "an earlier copy");
    std::string stand;
    EXPECT_EQ(gf_readDestApfForClosestStand(Airport{"ZZZZ", "", 0, 0, 0}, LatLon{}, stand), 100.0);
    EXPECT_FALSE(fs::exists("airport.xml"));
}

TEST_F(ApfLocationsTest, StockFilesSuitableForLearning)
{
    const auto lt_week = [](int week) { return fmt::format("<parameter name='RT_traffic_week' value='{}'/>", week); };
    const std::pair<std::string, bool> cases[] = {
        {"<parameter name='Qf_real' value='-1'/><parameter name='Qf_soft' value='0'/>" + lt_week(28), true},
        {"<parameter name='Qf_real' value='-1'/>" + lt_week(40), false},
        {"<parameter name='Qf_real' value='60'/>" + lt_week(27), false},
    };
    for (const auto& [parameters, suitable] : cases) {
        putStock("EDDF", apfText("", parameters));
        EXPECT_EQ(gf_stockApfSuitableForLearning("EDDF"), suitable) << parameters;
        EXPECT_FALSE(fs::exists("EDDF.xml"));
    }
    EXPECT_TRUE(folder.logHas("===> EDDF not suitable for offline learning"));
}

// The one place of a learned file, for the loader and the writer: where the loader has always
// looked for every reference the program makes, and otherwise below the publisher's folder.
TEST_F(ApfLocationsTest, LearnedFilePaths)
{
    const std::string longest(255, 'P');
    const std::string cases[][3] = {
        {"", "P", ""},
        {"archive/stock/EDDF.xml", "P", "airports/learned/stock/EDDF.xml"},
        {"archive/thirdparty/Pub%20X/EDDF.xml", "P", "airports/learned/thirdparty/Pub X/EDDF.xml"},
        {"airports/my_thirdparty/EDDF.xml", "Pub X", "airports/learned/thirdparty/Pub X/EDDF.xml"},
        {"airports\\my_thirdparty2024\\EDDF.xml", "P", "airports/learned/thirdparty/P/EDDF.xml"},
        {"airports/my_thirdparty/EDDF.xml", "../..", "airports/learned/thirdparty/.._../EDDF.xml"},
        {"airports/my_simaddon/EDDF.xml", "P", "airports/learned/simaddon/EDDF.xml"},
        {"airports/my_simaddon/X.xml", "P", "airports/learned/simaddon/X.xml"},
        // outside the program's folders: never there, but where the writer has always put it
        {"elsewhere/EDDF.xml", "P", "airports/learned/thirdparty/P/EDDF.xml"},
        {"elsewhere/EDDF.xml", "", "airports/learned/thirdparty/_/EDDF.xml"},
        {"archive/../../../outside/X.xml", "P", "airports/learned/thirdparty/P/EDDF.xml"},
        {"airports/my_simaddon/../../../X.xml", "..", "airports/learned/thirdparty/_/EDDF.xml"},
        {"/archive/X.xml", "P", "airports/learned/thirdparty/P/EDDF.xml"},
        // a publisher longer than a file name may be: cut, the same for the loader and the writer
        {"airports/my_thirdparty/EDDF.xml", longest, "airports/learned/thirdparty/" + longest + "/EDDF.xml"},
        {"elsewhere/EDDF.xml", longest + "Q", "airports/learned/thirdparty/" + std::string(252, 'P') + ".../EDDF.xml"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(gf_learnedApfPath(cases[i][0], cases[i][1], "EDDF").generic_string(), cases[i][2]) << i;
}

// A link whose reference climbs out of its folder, starts at a root or passes 1,024 bytes
// (however long its line) counts as no link.
TEST_F(ApfLocationsTest, LinksOutOfTheProgramsFoldersOrOverlongRefused)
{
    const auto lt_reference = [](std::size_t bytes) { // "archive/a/a/a.../EDDF.xml" of this length
        std::string folders;
        for (std::size_t i = 0; i < bytes - 16; ++i)
            folders += i % 2 == 0 ? 'a' : '/';
        return "archive/" + folders + "EDDF.xml";
    };
    const auto lt_utf16 = [](const std::string& text) {
        std::string bytes = "\xFF\xFE";
        for (const char c : text)
            bytes += {c, '\0'};
        return bytes;
    };
    const std::string beside = "airports/my_thirdparty/EDDF.xml", longest = lt_reference(1024),
                      beyond = lt_reference(1025), hostile = lt_reference(16 << 20);
    const std::pair<std::string, std::string> cases[] = {
        {"archive/../../../outside/X.xml", beside},
        {"airports\\..\\..\\X.xml", beside},
        {"/etc/X.xml", beside},
        {"C:\\X.xml", beside},
        {"archive/..x/X..xml", "archive/..x/X..xml"},
        {longest + " # " + std::string(4000, 'c') + "\r\n", longest},
        {lt_utf16(longest + "\r\n"), longest},
        {beyond, beside},
        {hostile + "\r\n", beside},
    };
    writeFile(beside, apfText(""));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        writeFile("airports/my_thirdparty/EDDF.txt", cases[i].first);
        const std::string found = gf_findApfReference("EDDF");
        EXPECT_TRUE(found == cases[i].second) << i << ": " << found.size() << " bytes found"; // not 16 MB shown
    }
    const auto lt_refused = [](std::string_view reference, std::string_view why) {
        return fmt::format("===> Link file airports/my_thirdparty/EDDF.txt refused: '{}' holds {}", reference, why);
    };
    EXPECT_TRUE(folder.logHas(lt_refused("/etc/X.xml", "'..' or a root")));
    EXPECT_TRUE(folder.logHas(lt_refused(beyond.substr(0, 200) + "...", "1025 bytes, more than 1024")));
    EXPECT_TRUE(folder.logHas(lt_refused(hostile.substr(0, 200) + "...", "16777216 bytes, more than 1024")));
    const auto lt_isRefusal = [](const std::string& line) { return line.find(" refused: ") != std::string::npos; };
    EXPECT_EQ(std::ranges::count_if(folder.logLines(), lt_isRefusal), 6) << "one line for each refused link";
}
