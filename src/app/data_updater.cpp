#include "app/data_updater.h"

#include "app/zip_archive.h"
#include "foundation/decrypt.h"
#include "foundation/download.h"
#include "foundation/file_utils.h"
#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/safe_save.h"
#include "foundation/status_line.h"
#include "foundation/text_file.h"
#include "foundation/version.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <fmt/format.h>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

namespace {

const fs::path lf_versionsPath = "versions.json";
const fs::path lf_simAddonArchivePath = "my_simaddon2024.zip";
constexpr const char* lf_simAddonSiteFolder = "mysimaddon24/";
// far above any airport file: an entry beyond it is not one of ours
constexpr std::uint64_t lf_maxEntryBytes = 16 << 20;
// far above the archive's real size (a few hundred link files of one line): an archive beyond
// either is refused whole, before anything is unpacked
constexpr std::uint64_t lf_maxEntries = 10000;
constexpr std::uint64_t lf_maxUnpackedBytes = 32 << 20;
// 10,000 link files take 1.2 MB: a larger file is refused before its directory is read
constexpr std::uintmax_t lf_maxArchiveBytes = 4 << 20;

void lf_logUpdated(const std::string& key, const VersionData& version)
{
    gf_log(fmt::format("{} updated to {}", key, version.toString()));
}

void lf_logUpToDate(const std::string& key) { gf_log(fmt::format("{} version up-to-date", key)); }

void lf_logVersionNotFound(const std::string& key) { gf_logError(fmt::format("{} version not found", key)); }

// The version on offer: an object with the integer members major, minor and patch, each
// 0..2147483647 (versions compare as signed 32-bit numbers).
VersionData lf_readVersion(const nlohmann::json& entry)
{
    VersionData version;
    const std::array<std::pair<const char*, std::uint32_t VersionData::*>, 3> members{
        {{"major", &VersionData::major}, {"minor", &VersionData::minor}, {"patch", &VersionData::patch}}};
    for (const auto& [name, field] : members) {
        const nlohmann::json& number = entry.at(name);
        if (!number.is_number_integer() || number.get<std::int64_t>() < 0 ||
            number.get<std::int64_t>() > std::numeric_limits<std::int32_t>::max())
            throw std::runtime_error(fmt::format("version member {} is no number from 0 to 2147483647", name));
        version.*field = static_cast<std::uint32_t>(number.get<std::int64_t>());
    }
    return version;
}

// The simulator chosen; g_msfs2020Mode follows it from the options load on.
bool lf_msfs2020Chosen() { return SIM_CHOICE.value.get() == "MSFS 2020"; }

bool lf_simAddonFolderMissing()
{
    return !fs::is_directory(g_simAddonAirportFolder) || fs::is_empty(g_simAddonAirportFolder);
}

// The file name of an entry without its folders ("/" or "\" written by Windows tools) and its
// extension; empty for a folder entry. Being a bare name, it always stays inside the target folder.
std::string lf_entryStem(const std::string& name)
{
    const std::size_t cut = name.find_last_of("/\\");
    const std::string base = cut == std::string::npos ? name : name.substr(cut + 1);
    return base.empty() ? base : gf_pathToUtf8(gf_pathFromUtf8(base).stem());
}

// Every file entry by stem, a later entry replacing an earlier one of the same stem; nothing
// when the archive cannot be opened, is larger than its bounds, or any entry cannot be read whole.
std::optional<std::map<std::string, std::string>> lf_readArchive(const fs::path& path)
{
    const std::string shown = gf_pathToUtf8(path);
    std::error_code ec;
    if (const std::uintmax_t size = fs::file_size(path, ec); !ec && size > lf_maxArchiveBytes) {
        gf_logError(fmt::format("{} refused: {} bytes, more than {}", shown, size, lf_maxArchiveBytes));
        return std::nullopt;
    }
    ZipArchive archive(path);
    if (!archive.isOpen()) {
        gf_log(fmt::format("Could not open {}", shown));
        return std::nullopt;
    }
    if (const std::uint64_t count = archive.entryCount(); count > lf_maxEntries) {
        gf_logError(fmt::format("{} refused: {} entries, more than {}", shown, count, lf_maxEntries));
        return std::nullopt;
    }
    if (const std::uint64_t size = archive.declaredSize(); size > lf_maxUnpackedBytes) {
        gf_logError(fmt::format("{} refused: {} bytes unpacked, more than {}", shown, size, lf_maxUnpackedBytes));
        return std::nullopt;
    }
    std::map<std::string, std::string> files;
    try {
        // the sizes in the directory are the archive's word only: the bytes are counted as they come
        std::uint64_t unpacked = 0;
        for (std::uint64_t i = 0; i < archive.entryCount(); ++i) {
            const std::string stem = lf_entryStem(archive.entryName(i));
            if (stem.empty())
                continue;
            std::string content = archive.readEntry(i, std::min(lf_maxEntryBytes, lf_maxUnpackedBytes - unpacked));
            unpacked += content.size();
            files[stem] = std::move(content);
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("Could not read {}: {}", shown, e.what()));
        return std::nullopt;
    }
    return files;
}

// Beside the add-on folder: ".new", the folder being written; ".old", the installed folder that an
// earlier version put aside while its new one took its place.
fs::path lf_besideSimAddon(const char* suffix)
{
    fs::path path = g_simAddonAirportFolder;
    path += suffix;
    return path;
}

void lf_logFolderError(const char* what, const fs::path& path, const std::error_code& ec)
{
    gf_logError(fmt::format("Could not {} {}: {}", what, gf_pathToUtf8(path), ec.message()));
}

// What the path names, a link not followed; not_found for nothing.
fs::file_type lf_typeAt(const fs::path& path)
{
    std::error_code ignored; // set for a path that names nothing
    return fs::symlink_status(path, ignored).type();
}

// A sub-folder that holds anything, or whose content cannot be read, not reached through a link:
// the user's, as the program writes only files into the add-on folder.
bool lf_holdsUserFolder(const fs::path& path)
{
    std::error_code ec; // set for a folder that cannot be read: then not empty
    return lf_typeAt(path) == fs::file_type::directory && !fs::is_empty(path, ec);
}

// Clears a name of the add-on folder for a file or a folder that moves there. The move itself puts
// a file in place of a file or a link, a folder in place of an empty folder; anything else there
// goes first (a link is not followed). A folder that holds anything (the user's) stays: false.
bool lf_clearFor(const fs::path& target, bool folder, std::error_code& ec)
{
    if (lf_holdsUserFolder(target))
        return false;
    if ((lf_typeAt(target) == fs::file_type::directory) != folder)
        fs::remove(target, ec); // nothing there is no error
    return true;
}

// An installed folder put aside goes. Its sub-folders that hold anything move back into the add-on
// folder, over a file of ours of the same name; one that cannot move stays there, logged. The rest
// is removed; a link is removed, never followed.
void lf_retireOldFolder(const fs::path& old)
{
    std::error_code ec;
    if (lf_typeAt(old) != fs::file_type::symlink) {
        fs::create_directories(g_simAddonAirportFolder, ec);
        for (fs::directory_iterator it(old, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
            if (!lf_holdsUserFolder(it->path()))
                continue;
            const fs::path target = g_simAddonAirportFolder / it->path().filename();
            std::error_code moved;
            if (!lf_clearFor(target, true, moved))
                moved = std::make_error_code(std::errc::directory_not_empty);
            if (!moved)
                fs::rename(it->path(), target, moved);
            if (moved)
                lf_logFolderError("move", it->path(), moved);
        }
        gf_cleanFolder(old);
    }
    if (fs::remove(old, ec), ec)
        lf_logFolderError("remove", old, ec);
}

// What a start of an earlier version stopped while installing left: the installed folder put aside
// goes back when the written one never took its place (the start-up made an empty folder there
// since), else it goes; a written folder goes.
void lf_settleInterruptedInstall()
{
    const fs::path fresh = lf_besideSimAddon(".new");
    const fs::path old = lf_besideSimAddon(".old");
    std::error_code ec;
    if (lf_typeAt(old) != fs::file_type::not_found) {
        // only the empty folder the start-up made goes for it, never a link to the user's folder
        std::error_code ignored;
        const fs::file_type installed = lf_typeAt(g_simAddonAirportFolder);
        const bool restored = lf_typeAt(fresh) != fs::file_type::not_found &&
                              (installed == fs::file_type::directory || installed == fs::file_type::not_found) &&
                              (fs::remove(g_simAddonAirportFolder, ignored), !ignored) &&
                              (fs::rename(old, g_simAddonAirportFolder, ignored), !ignored);
        if (!restored)
            lf_retireOldFolder(old);
    }
    if (fs::remove_all(fresh, ec), ec)
        lf_logFolderError("remove", fresh, ec);
}

// Moves a written file to a name cleared for it, over the installed file of that name, which
// stays whole until the new one takes its place. Across file systems (an add-on folder linked to
// another drive) its content is written beside it, into a file made anew under a short name of its
// own (nothing there is opened, link or file, and any name the folder holds fits), and renamed over
// it; a copy that fails (a full drive) goes. A copy left by a start that was killed goes with the
// next install's clean-up, its name being no "<stem>.txt".
void lf_moveFile(const fs::path& from, const fs::path& to, const std::string& content, std::error_code& ec)
{
    fs::rename(from, to, ec);
    if (ec != std::errc::cross_device_link)
        return;
    const fs::path copy = gf_writeNewFile(content, (to.parent_path() / ".copy-XXXXXX").native(), from, ec);
    if (copy.empty())
        return;
    if (fs::rename(copy, to, ec); ec) {
        std::error_code ignored;
        fs::remove(copy, ignored);
    }
}

// Moves the written files into the add-on folder (the folder that a link there names) over the
// installed ones, then removes what else it holds but the sub-folders that hold anything (the
// user's): one of a written file's name keeps it, and that file is left out. The number of files
// put in; nothing when one could not be moved for another reason, with the files not in the
// archive left in place.
std::optional<std::size_t> lf_putInPlace(const fs::path& fresh, const std::map<std::string, std::string>& files)
{
    std::error_code ec;
    if (fs::create_directories(g_simAddonAirportFolder, ec), ec) {
        lf_logFolderError("create directory", g_simAddonAirportFolder, ec);
        fs::remove_all(fresh, ec);
        return std::nullopt;
    }
    // from the first move on the folder holds two versions until the last: a start stopped
    // meanwhile, or a move that fails, must find no version stored, so that the next start installs
    gf_setStringParameter(MYSIMADDON24_VERSION, "");
    std::set<fs::path> names;
    std::size_t placed = 0;
    std::size_t failed = 0;
    for (const auto& [stem, content] : files) {
        const fs::path name = gf_pathFromUtf8(stem + ".txt");
        const fs::path target = g_simAddonAirportFolder / name;
        names.insert(name);
        std::error_code moved;
        if (!lf_clearFor(target, false, moved)) {
            gf_log(fmt::format("Failed to write file: {}", gf_pathToUtf8(target)));
            continue;
        }
        if (!moved)
            lf_moveFile(fresh / name, target, content, moved);
        if (moved) {
            lf_logFolderError("move", fresh / name, moved);
            ++failed;
        } else {
            ++placed;
        }
    }
    fs::remove_all(fresh, ec);
    if (failed > 0) {
        gf_logError(fmt::format("{} not installed whole: {} of its {} files could not be moved into {}",
                                gf_pathToUtf8(lf_simAddonArchivePath), failed, files.size(),
                                gf_pathToUtf8(g_simAddonAirportFolder)));
        return std::nullopt;
    }
    for (fs::directory_iterator it(g_simAddonAirportFolder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code removed;
        if (!names.contains(it->path().filename()) && !lf_holdsUserFolder(it->path()))
            fs::remove(it->path(), removed);
        if (removed)
            lf_logFolderError("remove", it->path(), removed);
    }
    return placed;
}

// Downloads the archive and writes its entries as "<stem>.txt" files into a folder beside the
// add-on folder, whose files take the installed ones' places only when every file was written.
bool lf_installSimAddon(const VersionData& offered)
{
    if (!gf_downloadFromWebSite(std::string(lf_simAddonSiteFolder) + gf_pathToUtf8(lf_simAddonArchivePath),
                                lf_simAddonArchivePath))
        return false;
    const auto files = lf_readArchive(lf_simAddonArchivePath);
    if (!files)
        return false;
    const fs::path fresh = lf_besideSimAddon(".new");
    std::error_code ec;
    fs::create_directories(fresh, ec);
    if (ec) {
        gf_logError(fmt::format("Could not create directory {}: {}", gf_pathToUtf8(fresh), ec.message()));
        return false;
    }
    std::size_t count = 0;
    for (const auto& [stem, content] : *files) {
        const fs::path target = fresh / gf_pathFromUtf8(stem + ".txt");
        if (gf_writeTextFile(content, target, false))
            ++count;
        else
            gf_log(fmt::format("Failed to write file: {}", gf_pathToUtf8(target)));
    }
    if (count < files->size()) {
        gf_logError(fmt::format("{} not installed: {} of its {} files could not be written; {} stays as it was",
                                gf_pathToUtf8(lf_simAddonArchivePath), files->size() - count, files->size(),
                                gf_pathToUtf8(g_simAddonAirportFolder)));
        fs::remove_all(fresh, ec);
        return false;
    }
    const std::optional<std::size_t> placed = lf_putInPlace(fresh, *files);
    if (!placed)
        return false;
    gf_showStatus(fmt::format("{} unzipped {} files", gf_pathToUtf8(lf_simAddonArchivePath), *placed), true);
    gf_setStringParameter(MYSIMADDON24_VERSION, offered.toString());
    return true;
}

void lf_removeArchive()
{
    std::error_code ec;
    fs::remove(lf_simAddonArchivePath, ec);
    if (ec)
        gf_log(fmt::format("Warning: could not remove downloaded zip: {}", ec.message()));
}

// A newer version is offered, or the folder is missing or empty.
bool lf_simAddonDue(const VersionData& offered)
{
    return gf_isNewerVersion(offered, VersionData(MYSIMADDON24_VERSION.value.get())) || lf_simAddonFolderMissing();
}

void lf_updateSimAddonKey(const nlohmann::json& versions)
{
    if (!versions.contains("simaddon")) {
        lf_logVersionNotFound("simaddon");
        return;
    }
    const VersionData offered = lf_readVersion(versions.at("simaddon"));
    if (!lf_simAddonDue(offered))
        lf_logUpToDate("simaddon");
    else if (lf_installSimAddon(offered))
        lf_logUpdated("simaddon", offered);
    // else the failure's own line stands; the stored version stays, so that the next start tries again
}

// Downloads an encrypted data file beside its place; it replaces the installed one only when it
// decrypts whole, so that a damaged file on the site never takes the place of a good one.
bool lf_downloadDataFile(const std::string& name, const fs::path& target)
{
    fs::path fresh = target;
    fresh += ".new";
    if (!gf_downloadFromWebSite(name, fresh))
        return false;
    fs::path plain = target;
    plain += ".check";
    const bool whole = gf_streamDecrypt(fresh, plain);
    gf_removeFile(plain);
    std::error_code ec;
    if (whole)
        fs::rename(fresh, target, ec);
    if (whole && !ec)
        return true;
    gf_logError(fmt::format("The downloaded {} is damaged; {} stays as it was", name, gf_pathToUtf8(target)));
    gf_removeFile(fresh);
    return false;
}

void lf_updateDataFile(const nlohmann::json& versions, const std::string& key, StringParameter& option,
                       const fs::path& local, const std::string& name)
{
    if (!versions.contains(key)) {
        lf_logVersionNotFound(key);
        return;
    }
    const VersionData offered = lf_readVersion(versions.at(key));
    if (!gf_isNewerVersion(offered, VersionData(option.value.get())) && fs::exists(local)) {
        lf_logUpToDate(key);
        return;
    }
    if (!lf_downloadDataFile(name, local))
        return;
    gf_setStringParameter(option, offered.toString());
    lf_logUpdated(key, offered);
}

// One key's failure is logged and skips none of the others.
template <class Update>
void lf_updateKey(const char* key, const Update& update)
{
    try {
        update();
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}: {}", "gf_checkForUpdates", key, e.what()));
    }
}

void lf_checkForUpdates()
{
    Downloader downloader;
    if (!downloader.download(gf_downloadBaseUrl() + gf_pathToUtf8(lf_versionsPath), lf_versionsPath, false)) {
        gf_logError("Downloading version info from my web site failed!");
        return;
    }
    std::ifstream file(lf_versionsPath);
    if (!file.is_open()) {
        gf_logError("Cannot open versions.json");
        return;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const nlohmann::json versions = gf_parseJson(text, true);
    if (!lf_msfs2020Chosen()) {
        lf_updateKey("simaddon", [&versions] {
            lf_settleInterruptedInstall();
            lf_updateSimAddonKey(versions);
        });
        lf_removeArchive(); // on every way out, a failure included (a leftover of an earlier start too)
    }
    lf_updateKey("aig", [&versions] {
        lf_updateDataFile(versions, "aig", AIG_VERSION, g_regcodesEncPath, "AIG-regcodes.enc");
    });
    lf_updateKey("dbase", [&versions] {
        lf_updateDataFile(versions, "dbase", DBASE_VERSION, g_dbaseEncPath, "dbase.enc");
    });
}

} // namespace

void gf_checkForUpdates()
{
    try {
        lf_checkForUpdates();
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "gf_checkForUpdates", e.what()));
    }
}
