// Downloads against a local HTTP server and file:// addresses: a failed transfer never
// damages the file that was there before.
#include "foundation/download.h"

#include "support/eventually.h"
#include "support/logged_folder.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
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
        // more than any file may be, sent without announcing a length
        m_server.Get("/downloads/huge.bin", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/octet-stream", [](std::size_t at, httplib::DataSink& sink) {
                static const std::string block(1 << 16, 'z');
                if (at > g_maxDownloadBytes)
                    sink.done();
                return at > g_maxDownloadBytes || sink.write(block.data(), block.size());
            });
        });
        // a site that takes the request and does not answer, and one that sends a byte a second
        m_server.Get("/downloads/silent.bin", [this](const httplib::Request&, httplib::Response& res) {
            ++stalled;
            std::unique_lock lock(m_mutex);
            m_released.wait(lock, [this] { return m_release; });
            res.set_content("late", "text/plain");
        });
        m_server.Get("/downloads/trickle.bin", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/octet-stream", [this](std::size_t, httplib::DataSink& sink) {
                ++stalled;
                std::unique_lock lock(m_mutex);
                if (m_released.wait_for(lock, std::chrono::seconds(1), [this] { return m_release; })) {
                    sink.done();
                    return true;
                }
                return sink.write("t", 1);
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
        release();
        m_server.stop();
        m_thread.join();
        g_quit = false;
    }

    // the stalled answers end, or stall again
    void release(bool on = true)
    {
        {
            std::lock_guard lock(m_mutex);
            m_release = on;
        }
        m_released.notify_all();
    }

    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/downloads"; }
    std::string userAgent()
    {
        std::lock_guard lock(m_mutex);
        return m_userAgent;
    }

    testsupport::LoggedFolder folder;
    std::atomic<int> requests{0};
    std::atomic<int> stalled{0};

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::string m_userAgent;
    std::condition_variable m_released;
    bool m_release = false; // under m_mutex
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

TEST_F(Download, AFileLargerThanAnyOfTheSiteIsRefusedAndLeavesNothing)
{
    const std::string good = "the good file of yesterday";
    writeFile("data.bin", good);
    EXPECT_FALSE(gf_downloadFromWebSite("huge.bin", "data.bin"));
    EXPECT_EQ(readFile("data.bin"), good);
    EXPECT_FALSE(fs::exists("data.bin.part"));
    EXPECT_TRUE(folder.logHas(
        fmt::format("===> Download of '{}/huge.bin' refused: larger than {} bytes", base(), g_maxDownloadBytes)));
}

// The close box ends a download from a site that does not answer, or sends a byte a second.
TEST_F(Download, TheCloseBoxEndsADownloadThatHangs)
{
    for (const char* name : {"silent.bin", "trickle.bin"}) {
        SCOPED_TRACE(name);
        stalled = 0;
        g_quit = false;
        std::atomic<bool> done{false};
        bool result = true;
        std::thread download([&] {
            result = gf_downloadFromWebSite(name, name);
            done = true;
        });
        ASSERT_TRUE(testsupport::eventually([this] { return stalled >= 1; }, std::chrono::seconds(20)));
        g_quit = true; // the user closes the window
        const bool ended = testsupport::eventually([&] { return done.load(); }, std::chrono::seconds(20));
        release(); // lets a download that did not end finish
        download.join();
        release(false);
        EXPECT_TRUE(ended) << "the download held the close box";
        EXPECT_FALSE(result);
        EXPECT_FALSE(fs::exists(name));
    }
}

} // namespace
