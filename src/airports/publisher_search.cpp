#include "airports/publisher_search.h"

#include "aircraft/dbase_lookup.h"
#include "airports/any_text_lines.h"
#include "airports/scan_report.h"
#include "foundation/json_input.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr std::uintmax_t lf_maxManifestBytes = 1 << 20;
// the texts kept of a manifest: enough for a publisher's name, an airport's title and the report
constexpr std::size_t lf_manifestTextBytes = 256;

std::atomic<std::int64_t> g_foldersListed{0};
std::atomic<std::int64_t> g_manifestsRead{0};

// Answers by path, each with the error its look raised (then raised again instead).
template <class Value> using KeptAnswers = std::map<fs::path, std::pair<Value, std::exception_ptr>>;

// What the searches of one scan have found: the scan's packages do not change under it.
struct KeptLookups {
    std::mutex mutex;
    int scans = 0; // the caches alive; none: nothing is kept
    KeptAnswers<std::optional<fs::path>> folders; // a folder's manifest.json
    KeptAnswers<ManifestInfo> manifests;
};
KeptLookups g_kept;

// The answer of `look` for `path`, looked up once while a scan runs. The lock is held through the
// look, so that tasks asking at once for the same path still cost one look.
template <class Value, class Look> Value lf_lookOnce(KeptAnswers<Value>& kept, const fs::path& path, Look look)
{
    std::unique_lock lock(g_kept.mutex);
    if (g_kept.scans == 0) {
        lock.unlock();
        return look();
    }
    if (const auto it = kept.find(path); it != kept.end()) {
        if (it->second.second)
            std::rethrow_exception(it->second.second);
        return it->second.first;
    }
    try {
        return kept.try_emplace(path, look(), nullptr).first->second.first;
    } catch (...) {
        kept.try_emplace(path, Value(), std::current_exception());
        throw;
    }
}

// A missing member or a null gives an empty text; a type other than string raises. A long text is
// cut.
std::string lf_jsonStringOrEmpty(const nlohmann::json& object, const char* key)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return {};
    return gf_cutText(it->get<std::string>(), lf_manifestTextBytes);
}

// The manifest read and parsed, each time; counted.
ManifestInfo lf_parseManifest(const fs::path& manifestPath)
{
    ++g_manifestsRead;
    std::vector<std::string> lines;
    if (!gf_readAnyTextLines(manifestPath, lines) || lines.empty())
        return {};
    std::string text;
    for (const std::string& line : lines)
        text += line;
    const nlohmann::json manifest = gf_parseJson(text, true);
    if (!manifest.is_object())
        return {};
    return {lf_jsonStringOrEmpty(manifest, "manufacturer"), lf_jsonStringOrEmpty(manifest, "creator"),
            lf_jsonStringOrEmpty(manifest, "title"), true};
}

// The folder's manifest as read; none when the folder holds no manifest.json.
std::optional<ManifestInfo> lf_readFolderManifest(const fs::path& folder)
{
    const std::optional<fs::path> manifest =
        lf_lookOnce(g_kept.folders, folder, [&folder] { return gf_findManifestInFolder(folder); });
    if (!manifest)
        return std::nullopt;
    gf_addScanReportLine(gf_pathToUtf8(*manifest) + " found");
    return gf_readManifest(*manifest);
}

// The path from its root through the second element after an element "Community" (for a file
// below Community/<package>/scenery the folder scenery); empty when there is no such element.
fs::path lf_belowCommunity(const fs::path& path)
{
    fs::path result;
    int after = -1;
    for (const fs::path& element : path) {
        result /= element;
        if (after >= 0 && ++after == 2)
            break;
        if (after < 0 && element == "Community")
            after = 0;
    }
    return after >= 0 ? result : fs::path();
}

ManifestInfo lf_searchManifest(const std::string& bglPath)
{
    const fs::path path = gf_pathFromUtf8(bglPath);
    if (bglPath.size() > 8 && bglPath.find("Community") != std::string::npos) {
        if (const fs::path folder = lf_belowCommunity(path); !folder.empty()) {
            if (const std::optional<ManifestInfo> manifest = lf_readFolderManifest(folder))
                return *manifest;
        }
    }
    for (fs::path folder = path.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if (const std::optional<ManifestInfo> manifest = lf_readFolderManifest(folder); manifest && manifest->found)
            return *manifest;
        if (folder == folder.parent_path())
            break; // the root has been checked
    }
    return {};
}

} // namespace

std::optional<fs::path> gf_findManifestInFolder(const fs::path& folder)
{
    if (!fs::is_directory(folder))
        return std::nullopt;
    ++g_foldersListed;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        if (entry.is_regular_file() && path.stem() == "manifest" && path.extension() == ".json")
            return path;
    }
    return std::nullopt;
}

ManifestInfo gf_readManifest(const fs::path& manifestPath)
{
    std::error_code ec;
    if (const std::uintmax_t bytes = fs::file_size(manifestPath, ec); !ec && bytes > lf_maxManifestBytes) {
        gf_addScanReportLine(fmt::format("{}{} taken as no manifest: {} bytes, more than 1 MiB", "===> ",
                                         gf_pathToUtf8(manifestPath), bytes));
        return {};
    }
    return lf_lookOnce(g_kept.manifests, manifestPath, [&manifestPath] { return lf_parseManifest(manifestPath); });
}

ManifestScanCache::ManifestScanCache()
{
    std::lock_guard lock(g_kept.mutex);
    ++g_kept.scans;
}

ManifestScanCache::~ManifestScanCache()
{
    std::lock_guard lock(g_kept.mutex);
    if (--g_kept.scans > 0)
        return;
    g_kept.folders.clear();
    g_kept.manifests.clear();
}

ManifestLookups gf_manifestLookups() { return {g_foldersListed.load(), g_manifestsRead.load()}; }

ManifestInfo gf_searchManifest(const std::string& bglPath)
{
    try {
        return lf_searchManifest(bglPath);
    } catch (const std::exception& e) {
        gf_addScanReportLine(fmt::format("exception in gf_searchManifest: {}", e.what()));
        return {};
    }
}

PublisherInfo gf_findAirportPublisher(const std::string& bglPath)
{
    gf_addScanReportLine(fmt::format("\nTry find publisher in: {}", bglPath));
    PublisherInfo info;
    if (gf_containsIgnoreCase(bglPath, "microsoft-airport") || gf_containsIgnoreCase(bglPath, "asobo-airport")) {
        info.publisher = "simaddon";
        gf_addScanReportLine(fmt::format("from filename => publisher {}", info.publisher));
        return info;
    }
    if (std::string publisher = gf_findPublisher(bglPath); publisher != "unknown") {
        gf_addScanReportLine(fmt::format("publisher '{}' found", publisher));
        info.publisher = std::move(publisher);
        return info;
    }
    const ManifestInfo manifest = gf_searchManifest(bglPath);
    if (!manifest.found) {
        gf_addScanReportLine(fmt::format("{}No publisher found", "===> "));
        return info;
    }
    // kept for the parking file, which stores them for an "unknown" publisher
    info.manufacturer = manifest.manufacturer;
    info.creator = manifest.creator;
    const auto lt_fromManifest = [&info](const std::string& text, const char* line) {
        std::string publisher = text.empty() ? "unknown" : gf_findPublisher(text);
        if (publisher == "unknown")
            return false;
        gf_addScanReportLine(fmt::format(fmt::runtime(line), text, publisher));
        info.publisher = std::move(publisher);
        return true;
    };
    if (lt_fromManifest(manifest.manufacturer, "from manifest.json: manufacturer '{}' => publisher '{}'") ||
        lt_fromManifest(manifest.creator, "from manifest.json: creator '{}' => publisher '{}'"))
        return info;
    gf_addScanReportLine(
        fmt::format("no valid info found in manifest about publisher, manufacturer:'{}', creator:'{}' {}",
                    manifest.manufacturer, manifest.creator, bglPath));
    return info;
}
