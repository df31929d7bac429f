#pragma once
// Whole files fetched from the program's download site (or any URL) into a local file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

inline constexpr std::string_view g_defaultDownloadBaseUrl = "https://tarnwick.example/downloads/";
inline constexpr std::string_view g_downloadBaseUrlVariable = "TRWK_DOWNLOAD_BASE_URL";
// No file of the site comes near this (the largest, dbase.enc, holds a few MB); a transfer that
// would pass it is refused, so that a broken or hostile site cannot fill the disk.
inline constexpr std::uint64_t g_maxDownloadBytes = 64u << 20;

// The compiled-in download base address, or TRWK_DOWNLOAD_BASE_URL when it is set and not
// empty; always ending in '/', so that names are appended to it as they are.
std::string gf_downloadBaseUrl();
// The download folder of the simulator in force: base + "MSFS/" in 2020 mode or when force2020
// asks for it, else base + "MSFS2024/".
std::string gf_getSimDownloadUrl(bool force2020);

// One libcurl easy handle, owned. Each download creates its own; never shared between threads.
class Downloader {
public:
    Downloader();
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // GET url into localPath. The body goes to a temporary file beside localPath that replaces
    // it only when the transfer succeeded, so a failed transfer leaves an existing file as it
    // was. An HTTP status of 400 or more, a broken connection, a write error, a body of more
    // than g_maxDownloadBytes (logged) or the close box (g_quit) give false.
    bool download(const std::string& url, const std::filesystem::path& localPath, bool binary);

private:
    void* m_handle; // CURL*, null when libcurl could not make one
};

// The download base address + name into localPath (binary); logs the outcome.
bool gf_downloadFromWebSite(const std::string& name, const std::filesystem::path& localPath);
