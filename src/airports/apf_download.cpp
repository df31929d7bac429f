#include "airports/apf_download.h"

#include "airports/apf_file.h"
#include "airports/apf_locations.h"
#include "foundation/download.h"
#include "foundation/log.h"
#include "foundation/paths.h"

#include <fmt/format.h>
#include <system_error>

namespace {

constexpr std::int32_t lf_minTrafficWeek = 28;

std::string lf_stockUrl(const std::string& code)
{
    return gf_getSimDownloadUrl(true) + "archive/stock/" + gf_xmlFileString(code);
}

} // namespace

TemporaryDownload::~TemporaryDownload()
{
    if (m_removed)
        return;
    std::error_code ec;
    fs::remove(m_path, ec);
}

void TemporaryDownload::remove()
{
    m_removed = true;
    std::error_code ec;
    fs::remove(m_path, ec);
    if (ec)
        throw fs::filesystem_error("remove", m_path, ec);
}

std::string gf_downloadApf(const std::string& name, const std::filesystem::path& target)
{
    const bool from2020Folder =
        name.find("simaddon") != std::string::npos || name.find("stock") != std::string::npos;
    const std::string url = gf_getSimDownloadUrl(from2020Folder) + name;
    Downloader downloader;
    if (downloader.download(url, target, false))
        return {};
    std::string error = fmt::format("failed to download: '{}'", url);
    gf_log(error);
    return error;
}

bool gf_downloadStockApf(const std::string& code)
{
    TemporaryDownload file(gf_xmlFileName(code));
    Downloader downloader;
    if (!downloader.download(lf_stockUrl(code), file.path(), false))
        return false;
    file.remove();
    return true;
}

bool gf_stockApfSuitableForLearning(const std::string& code)
{
    const std::string url = lf_stockUrl(code);
    gf_log(url);
    TemporaryDownload file(gf_xmlFileName(code));
    Downloader downloader;
    if (!downloader.download(url, file.path(), false)) {
        gf_logError(fmt::format("Failed to download {}", gf_pathToUtf8(file.path())));
        return false;
    }
    bool suitable = false;
    Apf doc;
    if (!doc.load_file(file.path().c_str())) {
        gf_logError(fmt::format("Failed to load {}", gf_pathToUtf8(file.path())));
    } else {
        const auto real = gf_getApfInt(doc, "Qf_real");
        const auto soft = gf_getApfInt(doc, "Qf_soft");
        const auto week = gf_getApfInt(doc, "RT_traffic_week");
        suitable = ((real && *real >= 0) || (soft && *soft >= 0)) && week && *week >= lf_minTrafficWeek;
    }
    file.remove();
    if (!suitable)
        gf_logError(fmt::format("{} not suitable for offline learning", code));
    return suitable;
}
