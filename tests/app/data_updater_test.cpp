// The data updater against a download site in a temporary folder (file://), and a local HTTP
// server for a transfer cut short.
#include "app/data_updater.h"

#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "support/logged_folder.h"

#include <algorithm>
#include <chrono>
#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>
#include <map>
#include <thread>
#include <zip.h>

namespace {

using Files = std::map<std::string, std::string>;
const fs::path g_siteZip = "site/mysimaddon24/my_simaddon2024.zip";
const std::string g_version = R"({"major":1,"minor":2,"patch":3})";

std::string lf_read(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void lf_write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// Entries in order; a name ending in "/" is a folder.
void lf_zip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(g_siteZip.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const auto& [name, content] : entries)
        if (name.back() == '/')
            zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8);
        else // stored, so that a test can spoil an entry's data
            zip_set_file_compression(archive,
                                     zip_file_add(archive, name.c_str(),
                                                  zip_source_buffer(archive, content.data(), content.size(), 0),
                                                  ZIP_FL_ENC_UTF_8),
                                     ZIP_CM_STORE, 0);
    ASSERT_EQ(zip_close(archive), 0);
}

// Every file under the folder, by its path below it.
Files lf_files(const fs::path& folder)
{
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).string()] = lf_read(entry.path());
    return files;
}

class DataUpdater : public ::testing::Test {
protected:
    DataUpdater()
    {
        folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string());
        gf_initDataPaths();
        fs::create_directories(g_dataFolder);
        gf_resetOptions();
        SIM_CHOICE.value = std::string("MSFS 2024"); // g_msfs2020Mode keeps its value of the process start
        gf_clearStatus();
        for (const fs::path& f : {fs::path("site/mysimaddon24"), g_inputFolder, g_simAddonAirportFolder})
            fs::create_directories(f);
        for (const char* name : {"dbase.enc", "AIG-regcodes.enc"})
            fs::copy_file(fs::path(TRWK_DATA_INPUT_DIR) / name, fs::path("site") / name);
        lf_zip({{"EHRD.txt", "archive/simaddon/EHRD.xml\n"}});
        offer(g_version);
    }

    void offer(const std::string& version)
    {
        lf_write("site/versions.json", fmt::format(R"({{"simaddon":{0},"aig":{0},"dbase":{0}}})", version));
    }
    long logged(const std::string& line) const
    {
        const auto lines = folder.logLines();
        return std::count(lines.begin(), lines.end(), line);
    }

    testsupport::LoggedFolder folder;
};

TEST_F(DataUpdater, AFirstStartFetchesEverythingAndLaterStartsOnlyWhatIsMissing)
{
    lf_zip({{"EHRD.txt", "old"}, {"links/EHLE.xml", "archive/simaddon/EHLE.xml\n"}, {"folder\\EGLL.txt", "e"},
            {"../x.txt", "x"}, {"/abs.txt", "a"}, {"dir/", ""}, {"b/EHRD.txt", "archive/simaddon/EHRD.xml\n"}});
    gf_checkForUpdates();
    EXPECT_EQ(lf_files("airports"), (Files{{"my_simaddon/EHRD.txt", "archive/simaddon/EHRD.xml\n"},
                                           {"my_simaddon/EHLE.txt", "archive/simaddon/EHLE.xml\n"},
                                           {"my_simaddon/EGLL.txt", "e"}, {"my_simaddon/x.txt", "x"},
                                           {"my_simaddon/abs.txt", "a"}}));
    EXPECT_EQ(gf_statusLine().text, "my_simaddon2024.zip unzipped 5 files");
    EXPECT_FALSE(fs::exists("my_simaddon2024.zip"));
    EXPECT_EQ(lf_files(g_inputFolder), (Files{{"dbase.enc", lf_read("site/dbase.enc")},
                                              {"AIG-regcodes.enc", lf_read("site/AIG-regcodes.enc")}}));
    const std::string parameters = lf_read(g_parametersPath);
    for (const StringParameter* option : {&MYSIMADDON24_VERSION, &AIG_VERSION, &DBASE_VERSION}) {
        EXPECT_EQ(option->value.get(), "1.2.3") << option->name;
        EXPECT_NE(parameters.find(fmt::format(R"("{}" value="1.2.3")", option->name)), std::string::npos);
    }

    gf_checkForUpdates();
    for (const char* key : {"simaddon", "aig", "dbase"})
        EXPECT_EQ(logged(fmt::format("{} version up-to-date", key)), 1) << key;
    // the same version again: a deleted file or an emptied folder is fetched again
    fs::remove(g_dbaseEncPath);
    fs::remove_all(g_simAddonAirportFolder);
    fs::create_directories(g_simAddonAirportFolder);
    gf_checkForUpdates();
    EXPECT_EQ(logged("dbase updated to 1.2.3"), 2);
    EXPECT_EQ(logged("simaddon updated to 1.2.3"), 2);
    EXPECT_EQ(logged("aig version up-to-date"), 2);
}

TEST_F(DataUpdater, In2020ModeTheArchiveIsNeverLookedAtAndAMissingKeyStopsNoOther)
{
    SIM_CHOICE.value = std::string("MSFS 2020");
    lf_write("site/versions.json", fmt::format(R"({{"simaddon":"no version","dbase":{}}})", g_version));
    gf_checkForUpdates();
    EXPECT_TRUE(folder.logHas("===> aig version not found"));
    EXPECT_TRUE(folder.logHas("dbase updated to 1.2.3"));
    for (const auto& line : folder.logLines())
        EXPECT_EQ(line.find("simaddon"), std::string::npos) << line;
}

// A broken site: the installed files, folder and versions stay as they were, the start goes on.
struct BadSite {
    const char* name;
    std::function<void(testsupport::TempFolder&, int httpPort)> spoil;
    const char* logged; // the start of a logged line
    friend void PrintTo(const BadSite& site, std::ostream* os) { *os << site.name; }
};

// With a local HTTP server that gives every file a Content-Length larger than its body.
class DataUpdaterBadSite : public DataUpdater, public ::testing::WithParamInterface<BadSite> {
protected:
    DataUpdaterBadSite()
    {
        server.Get("/versions.json", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(lf_read("site/versions.json"), "application/json");
        });
        server.Get("/.+", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(100000, "application/octet-stream",
                                     [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         return offset == 0 && sink.write("PK\3\4 part", 9);
                                     });
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running()) // a stop before the listening began would never end it
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~DataUpdaterBadSite() override
    {
        server.stop();
        thread.join();
    }

    httplib::Server server;
    std::thread thread;
    int port = 0;
};

TEST_P(DataUpdaterBadSite, LeavesTheInstalledDataAsItWas)
{
    lf_write(g_dbaseEncPath, "installed dbase");
    lf_write(g_regcodesEncPath, "installed regcodes");
    lf_write(g_simAddonAirportFolder / "EHLE.txt", "installed link");
    for (StringParameter* option : {&MYSIMADDON24_VERSION, &AIG_VERSION, &DBASE_VERSION})
        option->value = std::string("1.0.0");
    GetParam().spoil(folder, port);
    gf_checkForUpdates();
    EXPECT_EQ(lf_files("input"), (Files{{"dbase.enc", "installed dbase"}, {"AIG-regcodes.enc", "installed regcodes"}}));
    EXPECT_EQ(lf_files("airports"), (Files{{"my_simaddon/EHLE.txt", "installed link"}}));
    EXPECT_FALSE(fs::exists("my_simaddon2024.zip"));
    for (const StringParameter* option : {&MYSIMADDON24_VERSION, &AIG_VERSION, &DBASE_VERSION})
        EXPECT_EQ(option->value.get(), "1.0.0") << option->name;
    const auto lines = folder.logLines();
    const std::string logged = GetParam().logged;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.starts_with(logged); }));
}

INSTANTIATE_TEST_SUITE_P(
    Sites, DataUpdaterBadSite,
    ::testing::Values(
        BadSite{"NoVersionList", [](auto&, int) { fs::remove("site/versions.json"); }, "===> Downloading version info"},
        BadSite{"MalformedVersionList", [](auto&, int) { lf_write("site/versions.json", R"({"dbase":{)"); },
                "gf_checkForUpdates exception: "},
        BadSite{"VersionWithoutPatch",
                [](auto&, int) { lf_write("site/versions.json", R"({"simaddon":{"major":2,"minor":0}})"); },
                "gf_checkForUpdates exception: "},
        BadSite{"CorruptZipAndMissingFiles",
                [](auto&, int) {
                    lf_write(g_siteZip, "PK\3\4 not a zip");
                    fs::remove("site/dbase.enc");
                    fs::remove("site/AIG-regcodes.enc");
                },
                "Could not open my_simaddon2024.zip"},
        BadSite{"DamagedFiles",
                [](auto&, int) {
                    std::string zip = lf_read(g_siteZip); // an entry whose data fails its checksum
                    zip.replace(zip.find("simaddon/EHRD"), 13, "simaddon/EHXX");
                    lf_write(g_siteZip, zip);
                    lf_write("site/dbase.enc", lf_read("site/dbase.enc").substr(0, 100));
                    lf_write("site/AIG-regcodes.enc", "not encrypted");
                },
                "===> The downloaded dbase.enc is damaged"},
        BadSite{"CutTransfers",
                [](auto& folder, int port) {
                    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", fmt::format("http://127.0.0.1:{}", port));
                },
                "===> Downloading 'http://127.0.0.1:"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
