#include "airports/apf_download.h"
#include "airports/apf_locations.h"

#include "airports/nearest_airport.h"
#include "airports_fixture.h"

#include <httplib.h>

#include <algorithm>
#include <fmt/format.h>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace {

using namespace airportstest;

class ApfLocationsTest : public AirportsTest {};

TEST_F(ApfLocationsTest, SearchOrderOfTheUserFoldersAndTheStockArchive)
{
    const std::string apf = apfText("");
    const struct {
        std::map<std::string, std::string> files;
        const char* reference;
        bool exists;
    } cases[] = {
        {{{"airports/my_thirdparty/EDDF.txt", "archive/thirdparty/Pub%20X/EDDF.xml   # mine\r\nsecond.xml"},
          {"airports/my_thirdparty/EDDF.xml", apf}},
         "archive/thirdparty/Pub%20X/EDDF.xml",
         true},
        {{{"airports/my_thirdparty/EDDF.txt", "no reference"}, {"airports/my_thirdparty/EDDF.xml", apf}},
         "airports/my_thirdparty/EDDF.xml",
         true},
        {{{"airports/my_thirdparty/EDDF.txt", ""}, {"airports/my_simaddon/EDDF.txt", "airports\\my_simaddon\\X.xml"}},
         "airports/my_simaddon/X.xml",
         true},
        {{{"airports/my_simaddon/EDDF.xml", apf}, {"site/MSFS/archive/stock/EDDF.xml", apf}},
         "airports/my_simaddon/EDDF.xml",
         true},
        {{{"site/MSFS/archive/stock/EDDF.xml", apf}}, "archive/stock/EDDF.xml", true},
        {{{"airports/my_thirdparty/EDDF.txt", "x"}, {"site/MSFS/archive/stock/EDDG.xml", apf}}, "", true},
        {{}, "", false},
    };
    for (const auto& c : cases) {
        for (const char* folder : {"airports/my_thirdparty", "airports/my_simaddon", "site"}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
        for (const auto& [path, text] : c.files)
            writeFile(path, text);
        EXPECT_EQ(gf_findApfReference("EDDF"), c.reference) << c.reference;
        EXPECT_EQ(gf_apfExists("EDDF"), c.exists) << c.reference;
        EXPECT_FALSE(fs::exists("EDDF.xml"));
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
    EXPECT_EQ(gf_downloadApf("archive/thirdparty/P/EDDF.xml", "b.xml"), "");
    EXPECT_EQ(gf_downloadApf("archive/thirdparty/P/ZZZZ.xml", "c.xml"),
              fmt::format("failed to download: 'http://127.0.0.1:{}/MSFS2024/archive/thirdparty/P/ZZZZ.xml'", port));
    server.stop();
    EXPECT_EQ(requests, (std::vector<std::string>{"/MSFS/archive/stock/ZZZZ.xml", "/MSFS/archive/stock/ZZZZ.xml",
                                                  "/MSFS/archive/stock/EDDF.xml",
                                                  "/MSFS2024/archive/thirdparty/P/EDDF.xml",
                                                  "/MSFS2024/archive/thirdparty/P/ZZZZ.xml"}));
}

TEST_F(ApfLocationsTest, AFailedDownloadLeavesNoFileBehind)
{
    for (const char* stale : {"ZZZZ.xml", "airport.xml"})
        writeFile(stale, "an earlier copy");
    EXPECT_FALSE(gf_downloadStockApf("ZZZZ"));
    EXPECT_FALSE(fs::exists("ZZZZ.xml"));
    writeFile("ZZZZ.xml", "an earlier copy");
    EXPECT_FALSE(gf_stockApfSuitableForLearning("ZZZZ"));
    EXPECT_FALSE(fs::exists("ZZZZ.xml"));
    EXPECT_TRUE(folder.logHas("===> Failed to download ZZZZ.xml"));

    writeFile("airports/my_thirdparty/ZZZZ.txt", "archive/thirdparty/Nobody/ZZZZ.xml");
    std::string stand;
    EXPECT_EQ(gf_readDestApfForClosestStand(Airport{"ZZZZ", "", 0, 0, 0}, LatLon{}, stand), 100.0);
    EXPECT_FALSE(fs::exists("airport.xml"));
}

TEST_F(ApfLocationsTest, StockFilesSuitableForLearning)
{
    const struct {
        const char* parameters;
        bool suitable;
    } cases[] = {
        {"<parameter name='Qf_real' value='0'/><parameter name='RT_traffic_week' value='28'/>", true},
        {"<parameter name='Qf_real' value='-1'/><parameter name='Qf_soft' value='5'/>"
         "<parameter name='RT_traffic_week' value='40'/>",
         true},
        {"<parameter name='Qf_real' value='-1'/><parameter name='RT_traffic_week' value='40'/>", false},
        {"<parameter name='Qf_real' value='60'/><parameter name='RT_traffic_week' value='27'/>", false},
        {"<parameter name='Qf_real' value='60'/>", false},
        {"<parameter name='RT_traffic_week' value='40'/>", false},
    };
    for (const auto& c : cases) {
        putStock("EDDF", apfText("", c.parameters));
        EXPECT_EQ(gf_stockApfSuitableForLearning("EDDF"), c.suitable) << c.parameters;
        EXPECT_FALSE(fs::exists("EDDF.xml"));
    }
    putStock("EDDF", "<not xml");
    EXPECT_FALSE(gf_stockApfSuitableForLearning("EDDF"));
    EXPECT_TRUE(folder.logHas("===> Failed to load EDDF.xml"));
    EXPECT_TRUE(folder.logHas("===> EDDF not suitable for offline learning"));
}

TEST_F(ApfLocationsTest, LearnedFilePaths)
{
    const struct {
        const char* reference;
        const char* publisher;
        const char* learned;
    } cases[] = {
        {"", "P", ""},
        {"archive/stock/EDDF.xml", "P", "airports/learned/stock/EDDF.xml"},
        {"archive/thirdparty/Pub%20X/EDDF.xml", "P", "airports/learned/thirdparty/Pub X/EDDF.xml"},
        {"airports/my_thirdparty/EDDF.xml", "Pub X", "airports/learned/thirdparty/Pub X/EDDF.xml"},
        {"airports\\my_thirdparty2024\\EDDF.xml", "P", "airports/learned/thirdparty/P/EDDF.xml"},
        {"airports/my_thirdparty/EDDF.xml", "../..", "airports/learned/thirdparty/.._../EDDF.xml"},
        {"airports/my_thirdparty/EDDF.xml", "..", "airports/learned/thirdparty/_/EDDF.xml"},
        {"airports/my_simaddon/EDDF.xml", "P", "airports/learned/simaddon/EDDF.xml"},
        {"elsewhere/EDDF.xml", "P", "elsewhere/EDDF.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gf_learnedApfPath(c.reference, c.publisher).generic_string(), c.learned) << c.reference;
}

TEST_F(ApfLocationsTest, GeneratedFilesOfAnEarlierScan)
{
    for (const char* name : {"EDDF.xml", "eddf.Xml", "EDDF1.xml", "EDDF.xml.bak", "EGLL.txt"})
        writeFile(fs::path("airports/my_thirdparty") / name, "");
    fs::create_directories("airports/my_thirdparty/EHAM.xml");
    auto files = gf_listGeneratedApfs();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"airports/my_thirdparty/EDDF.xml", "airports/my_thirdparty/eddf.Xml"}));
}

} // namespace
