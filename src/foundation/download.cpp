#include "foundation/download.h"

#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"

#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <exception>
#include <fmt/format.h>
#include <memory>
#include <mutex>
#include <system_error>

namespace {

std::once_flag g_curlGlobalInit;

// a connection must be made within this time, and a transfer that moves less than
// lf_lowSpeedBytes a second for lf_lowSpeedSeconds is given up
constexpr long lf_connectTimeoutSeconds = 20;
constexpr long lf_lowSpeedBytes = 1;
constexpr long lf_lowSpeedSeconds = 60;

// The open file and what the transfer has written into it.
struct Target {
    std::FILE* file = nullptr;
    std::uint64_t written = 0;
    bool tooLarge = false;
};

std::size_t lf_writeToFile(char* data, std::size_t size, std::size_t count, void* target)
{
    auto* t = static_cast<Target*>(target);
    const std::uint64_t n = static_cast<std::uint64_t>(size) * count;
    if (n > g_maxDownloadBytes - t->written) {
        t->tooLarge = true;
        return 0; // libcurl ends the transfer with a write error
    }
    t->written += n;
    return std::fwrite(data, 1, n, t->file);
}

// progress callback: the close box ends the transfer
int lf_abortOnQuit(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return g_quit.load() ? 1 : 0; }

struct FileCloser {
    void operator()(std::FILE* f) const noexcept
    {
        if (f != nullptr)
            std::fclose(f);
    }
};

std::filesystem::path lf_partPath(const std::filesystem::path& localPath)
{
    std::filesystem::path part = localPath;
    part += ".part";
    return part;
}

} // namespace

std::string gf_downloadBaseUrl()
{
    const char* value = std::getenv(std::string(g_downloadBaseUrlVariable).c_str());
    std::string url = (value != nullptr && *value != '\0') ? std::string(value) : std::string(g_defaultDownloadBaseUrl);
    if (url.back() != '/')
        url += '/';
    return url;
}

std::string gf_getSimDownloadUrl(bool force2020)
{
    return gf_downloadBaseUrl() + ((force2020 || g_msfs2020Mode) ? "MSFS/" : "MSFS2024/");
}

Downloader::Downloader() : m_handle(nullptr)
{
    std::call_once(g_curlGlobalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_handle = curl_easy_init();
}

Downloader::~Downloader()
{
    if (m_handle != nullptr)
        curl_easy_cleanup(static_cast<CURL*>(m_handle));
}

bool Downloader::download(const std::string& url, const std::filesystem::path& localPath, bool binary)
{
    if (m_handle == nullptr)
        return false;
    const std::filesystem::path part = lf_partPath(localPath);
    try {
        CURLcode result = CURLE_OK;
        {
            std::unique_ptr<std::FILE, FileCloser> file(std::fopen(part.c_str(), binary ? "wb" : "w"));
            if (!file) {
                gf_log(fmt::format("Could not open output file: {}", gf_pathToUtf8(localPath)));
                return false;
            }
            Target target{file.get()};
            CURL* handle = static_cast<CURL*>(m_handle);
            curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
            curl_easy_setopt(handle, CURLOPT_USERAGENT, std::string(g_shortDisplayName).c_str());
            curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &lf_writeToFile);
            curl_easy_setopt(handle, CURLOPT_WRITEDATA, &target);
            curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
            curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, lf_connectTimeoutSeconds);
            curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, lf_lowSpeedBytes);
            curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, lf_lowSpeedSeconds);
            curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(g_maxDownloadBytes));
            curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &lf_abortOnQuit);
            curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
            result = curl_easy_perform(handle);
            // a write error that shows only when the buffered rest reaches the disk
            if (std::fclose(file.release()) != 0 && result == CURLE_OK)
                result = CURLE_WRITE_ERROR;
            if (target.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
                gf_logError(fmt::format("Download of '{}' refused: larger than {} bytes", url, g_maxDownloadBytes));
        }
        std::error_code ec;
        if (result == CURLE_OK) {
            std::filesystem::rename(part, localPath, ec);
            if (!ec)
                return true;
        }
        std::filesystem::remove(part, ec);
        return false;
    } catch (const std::exception& e) {
        gf_log(fmt::format("Downloader exception: '{}', {} => {}", e.what(), url, gf_pathToUtf8(localPath)));
        std::error_code ec;
        std::filesystem::remove(part, ec);
        return false;
    }
}

bool gf_downloadFromWebSite(const std::string& name, const std::filesystem::path& localPath)
{
    Downloader downloader;
    const std::string url = gf_downloadBaseUrl() + name;
    const bool ok = downloader.download(url, localPath, true);
    if (ok)
        gf_log(fmt::format("Downloaded '{}' to '{}'", url, gf_pathToUtf8(localPath)));
    else
        gf_logError(fmt::format("Downloading '{}' failed !", url));
    return ok;
}
