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

using testsupport::readFile;
using testsupport::writeFile;

class Download : public ::testing::Test {
protected:
    Download()
    {
        m_server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            ++requests;
            std::lock_guard lock(m_mutex);
            m_userAgent = req.get_header_value("User-Agent");
            return httplib::Server::HandlerResponse::Unhandled;
        });
        m_server.Get("/downloads/data.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string("new\0content\r\n", 13), "application/octet-stream");
        });
        // announces 1000 bytes, delivers a few and closes the connection
        m_server.Get("/downloads/broken.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(1000, "application/octet-stream",
                                     [](std::size_t at, std::size_t, httplib::DataSink& sink) {
                                         return at == 0 && sink.write("partial", 7);
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
    std::string userAgent()
    {
        std::lock_guard lock(m_mutex);
        return m_userAgent;
    }

    testsupport::LoggedFolder folder;
    std::atomic<int> requests{0};

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::string m_userAgent;
};

TEST_F(Download, NamedFileFromTheSiteReplacesTheLocalFileWhole)
{
    writeFile("data.bin", "old content that is longer than the new one");
    EXPECT_TRUE(gf_downloadFromWebSite("data.bin", "data.bin"));
    EXPECT_EQ(readFile("data.bin"), std::string("new\0content\r\n", 13));
    EXPECT_EQ(userAgent(), "TRWK");
    EXPECT_FALSE(fs::exists("data.bin.part"));
    EXPECT_TRUE(folder.logHas(fmt::format("Downloaded '{}/data.bin' to 'data.bin'", base())));
    Downloader downloader; // text mode works the same
    EXPECT_TRUE(downloader.download(base() + "/data.bin", "text.bin", false));
    EXPECT_EQ(readFile("text.bin"), readFile("data.bin"));

    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", std::nullopt);
    EXPECT_EQ(gf_downloadBaseUrl(), g_defaultDownloadBaseUrl);
}

TEST_F(Download, FailedTransfersLeaveTheOldFileUntouched)
{
    const std::string good = "the good file of yesterday";
    writeFile("data.bin", good);

    EXPECT_FALSE(gf_downloadFromWebSite("missing.bin", "data.bin"));
    EXPECT_EQ(readFile("data.bin"), good);
    EXPECT_TRUE(folder.logHas(fmt::format("===> Downloading '{}/missing.bin' failed !", base())));

    Downloader downloader;
    EXPECT_FALSE(downloader.download(base() + "/broken.bin", "data.bin", true));
    EXPECT_EQ(readFile("data.bin"), good);

    // a 404 for a file that did not exist leaves nothing behind
    EXPECT_FALSE(downloader.download(base() + "/missing.bin", "new.bin", true));
    EXPECT_FALSE(fs::exists("new.bin"));
    for (const auto& entry : fs::directory_iterator("."))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    EXPECT_EQ(requests, 3);

    // a missing folder fails before any request
    EXPECT_FALSE(gf_downloadFromWebSite("data.bin", fs::path("no-such-folder") / "data.bin"));
    EXPECT_EQ(requests, 3);
    EXPECT_TRUE(folder.logHas("Could not open output file: no-such-folder/data.bin"));
}

} // namespace
