// Downloads against a local HTTP server and file:// addresses: a failed transfer never
// damages the file that was there before.
#include "foundation/download.h"

#include "support/logged_folder.h"

#include <atomic>
#include <chrono>
#include <fmt/format.h>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string lf_read(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void lf_write(const fs::path& p, const std::string& text)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << text;
}

class Download : public ::testing::Test {
protected:
    Download()
    {
        m_server.Get("/downloads/data.bin", [this](const httplib::Request& req, httplib::Response& res) {
            note(req);
            res.set_content(std::string("new\0content\r\n", 13), "application/octet-stream");
        });
        m_server.Get("/downloads/sub/versions.json", [this](const httplib::Request& req, httplib::Response& res) {
            note(req);
            res.set_content(R"({"dbase":"1.2.3"})", "application/json");
        });
        m_server.Get("/downloads/missing.bin", [this](const httplib::Request& req, httplib::Response& res) {
            note(req);
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        // announces 1000 bytes, delivers a few and closes the connection
        m_server.Get("/downloads/broken.bin", [this](const httplib::Request& req, httplib::Response& res) {
            note(req);
            res.set_content_provider(1000, "application/octet-stream",
                                     [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         if (offset > 0)
                                             return false;
                                         sink.write("partial", 7);
                                         return true;
                                     });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        folder.setEnv("TRWK_DOWNLOAD_BASE_URL", base());
    }
    ~Download() override
    {
        m_server.stop();
        m_thread.join();
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/downloads"; }
    int requests() const { return m_requests.load(); }
    std::string userAgent()
    {
        std::lock_guard lock(m_mutex);
        return m_userAgent;
    }

    testsupport::LoggedFolder folder;

private:
    void note(const httplib::Request& req)
    {
        ++m_requests;
        std::lock_guard lock(m_mutex);
        m_userAgent = req.get_header_value("User-Agent");
    }

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::mutex m_mutex;
    std::string m_userAgent;
};

TEST_F(Download, NamedFileFromTheSiteReplacesTheLocalFileWhole)
{
    lf_write("data.bin", "old content that is longer than the new one");
    EXPECT_TRUE(gf_downloadFromWebSite("data.bin", "data.bin"));
    EXPECT_EQ(lf_read("data.bin"), std::string("new\0content\r\n", 13));
    EXPECT_EQ(userAgent(), "TRWK");
    EXPECT_FALSE(fs::exists("data.bin.part"));
    EXPECT_TRUE(folder.logHas(fmt::format("Downloaded '{}/data.bin' to 'data.bin'", base())));

    // a name may hold a sub-folder path; text mode works the same
    Downloader downloader;
    EXPECT_TRUE(downloader.download(base() + "/sub/versions.json", "versions.json", false));
    EXPECT_EQ(lf_read("versions.json"), R"({"dbase":"1.2.3"})");
}

TEST_F(Download, FailedTransfersLeaveTheOldFileUntouched)
{
    const std::string good = "the good file of yesterday";
    lf_write("data.bin", good);

    EXPECT_FALSE(gf_downloadFromWebSite("missing.bin", "data.bin"));
    EXPECT_EQ(lf_read("data.bin"), good);
    EXPECT_TRUE(folder.logHas(fmt::format("===> Downloading '{}/missing.bin' failed !", base())));

    Downloader downloader;
    EXPECT_FALSE(downloader.download(base() + "/broken.bin", "data.bin", true));
    EXPECT_EQ(lf_read("data.bin"), good);

    // a 404 for a file that did not exist leaves nothing behind
    EXPECT_FALSE(downloader.download(base() + "/missing.bin", "new.bin", true));
    EXPECT_FALSE(fs::exists("new.bin"));
    for (const auto& entry : fs::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    EXPECT_EQ(requests(), 3);
}

TEST_F(Download, MissingFolderFailsBeforeAnyRequest)
{
    EXPECT_FALSE(gf_downloadFromWebSite("data.bin", fs::path("no-such-folder") / "data.bin"));
    EXPECT_EQ(requests(), 0);
    EXPECT_TRUE(folder.logHas("Could not open output file: no-such-folder/data.bin"));
}

TEST_F(Download, FileAddressesAndTheBaseAddressVariable)
{
    fs::create_directories("site/downloads");
    lf_write("site/downloads/airports.zip", "PK zip bytes");
    const std::string fileBase = "file://" + (folder.path() / "site" / "downloads").string() + "/";
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", fileBase);
    EXPECT_EQ(gf_downloadBaseUrl(), fileBase);

    EXPECT_TRUE(gf_downloadFromWebSite("airports.zip", "airports.zip"));
    EXPECT_EQ(lf_read("airports.zip"), "PK zip bytes");

    lf_write("kept.zip", "kept");
    EXPECT_FALSE(gf_downloadFromWebSite("absent.zip", "kept.zip"));
    EXPECT_EQ(lf_read("kept.zip"), "kept");

    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", std::nullopt);
    EXPECT_EQ(gf_downloadBaseUrl(), g_defaultDownloadBaseUrl);
}

} // namespace
