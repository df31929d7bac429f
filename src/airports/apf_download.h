#pragma once
// Airport parking files fetched from the download site: a named file, and the probes of the
// stock archive (MSFS/archive/stock/CODE.xml).
#include <filesystem>
#include <string>
#include <utility>

// Downloads `name` from the site into `target`: names holding "simaddon" or "stock" from the
// "MSFS/" folder, any other from the running simulator's. Empty text on success, else
// "failed to download: '<url>'" (also logged).
std::string gf_downloadApf(const std::string& name, const std::filesystem::path& target);
// The stock archive holds the airport's file; nothing is kept.
bool gf_downloadStockApf(const std::string& code);
// The stock file exists and carries enough real traffic for off-line learning: a quality
// factor (Qf_real or Qf_soft) of at least 0 and RT_traffic_week of at least 28.
bool gf_stockApfSuitableForLearning(const std::string& code);

// A file downloaded for one look: removed when it goes out of scope, also after a failed
// download (an earlier copy is not left behind) or an exception.
class TemporaryDownload {
public:
    explicit TemporaryDownload(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryDownload();
    TemporaryDownload(const TemporaryDownload&) = delete;
    TemporaryDownload& operator=(const TemporaryDownload&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Removes the file now; a failure raises the file-system error "remove".
    void remove();

private:
    std::filesystem::path m_path;
    bool m_removed = false;
};
