// The data updater at a start against a download site on the disk (file://): each input is the
// site's versions.json, followed from its first zip signature ("PK\3\4" or "PK\5\6") by the site's
// my_simaddon2024.zip. Whatever the site holds, the downloaded archive is gone afterwards; the
// add-on folder either stays exactly as it was or holds only the archive's link files within the
// archive's bounds, exactly when the new version was stored, with nothing left beside it; the
// user's sub-folder in it, named as a file of the seeds' archive (which it keeps out), stays; each
// data file is the old one or the site's, exactly when its version was stored, and nothing else is
// left in input/. Each input runs twice: on one drive, then with the add-on folder on another (each
// move out of the written folder refused as one across file systems, so that every file is
// copied), which must leave exactly what one drive left: the same files, contents and versions.
#include "fuzz_support.h"

#include "app/data_updater.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"

#include <array>
#include <cerrno>
#include <dlfcn.h>
#include <fmt/format.h>
#include <iterator>
#include <map>
#include <string>

using fuzzsupport::check;
using fuzzsupport::readFile;
namespace fs = std::filesystem;

namespace {

const std::string g_oldVersion = "1.0.0";
fs::path g_userFolder; // in the add-on folder
// A link file of the installed version, named as no archive entry can make one: the program writes
// "<stem>.txt" files only, and a stem never holds a backslash (nor a slash).
fs::path g_installedFile;
bool g_acrossDrives = false; // the add-on folder on another drive than the written one
// the versions a start may store
const std::array<StringParameter*, 3> g_versions{&MYSIMADDON24_VERSION, &AIG_VERSION, &DBASE_VERSION};

} // namespace

// The process's rename(): across drives, a move out of the written folder fails as a real one would.
extern "C" int rename(const char* from, const char* to) noexcept
{
    using Rename = int (*)(const char*, const char*);
    static const auto lt_real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    if (g_acrossDrives && std::string_view(from).find("my_simaddon.new/") != std::string_view::npos) {
        errno = EXDEV;
        return -1;
    }
    return lt_real(from, to);
}

namespace {

void lf_checkDataFile(const fs::path& local, const fs::path& onSite, const std::string& old, const StringParameter& option)
{
    const std::string now = readFile(local);
    const bool stored = option.value.get() != g_oldVersion;
    check(now == (stored ? readFile(onSite) : old), "data file: the old one or the site's, as its version says");
}

void lf_checkAddonFolder()
{
    check(std::distance(fs::directory_iterator("airports"), fs::directory_iterator()) == 1,
          "add-on folder: nothing left beside it");
    check(readFile(g_userFolder / "inner.txt") == "i", "add-on folder: its sub-folder kept");
    const bool stored = MYSIMADDON24_VERSION.value.get() != g_oldVersion;
    if (!stored) {
        check(std::distance(fs::directory_iterator(g_simAddonAirportFolder), fs::directory_iterator()) == 2 &&
                  readFile(g_installedFile) == "k",
              "add-on folder: as it was without a new version");
        return;
    }
    check(!fs::exists(g_installedFile), "add-on folder: emptied for the new version");
    std::uintmax_t files = 0, bytes = 0;
    for (const auto& entry : fs::directory_iterator(g_simAddonAirportFolder)) {
        if (entry.path() == g_userFolder) // not empty: it stays
            continue;
        check(entry.is_regular_file() && entry.path().extension() == ".txt", "add-on folder: link files only");
        ++files;
        bytes += entry.file_size();
    }
    check(files <= 10000 && bytes <= (32u << 20), "add-on folder: within the archive's bounds");
}

// What a start left: every entry below airports/ and input/ (links not followed) with its kind,
// permissions and content, and the versions stored.
std::map<std::string, std::string> lf_outcome()
{
    std::map<std::string, std::string> outcome;
    for (const char* top : {"airports", "input"})
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            const fs::file_status status = entry.symlink_status();
            std::string& seen = outcome[entry.path().string()];
            seen = fmt::format("{} {:o}", static_cast<int>(status.type()), static_cast<unsigned>(status.permissions()));
            if (status.type() == fs::file_type::regular)
                seen += " " + readFile(entry.path());
            else if (status.type() == fs::file_type::symlink)
                seen += " " + fs::read_symlink(entry.path()).string();
        }
    for (const StringParameter* option : g_versions)
        outcome[option->name] = option->value.get();
    return outcome;
}

// One start against the site, as a user's program folder at the old versions finds it; the rules
// checked, and what it left.
std::map<std::string, std::string> lf_start()
{
    gf_resetOptions();
    LOG.value = false;
    SIM_CHOICE.value = std::string("MSFS 2024");
    for (StringParameter* option : g_versions)
        option->value = g_oldVersion;
    fs::remove_all("airports");
    fs::remove_all("input");
    fuzzsupport::writeFile(g_installedFile, "k");
    fuzzsupport::writeFile(g_userFolder / "inner.txt", "i");
    fuzzsupport::writeFile(g_regcodesEncPath, "old aig");
    fuzzsupport::writeFile(g_dbaseEncPath, "old dbase");

    gf_checkForUpdates();

    check(!fs::exists("my_simaddon2024.zip"), "archive: removed on every way out");
    lf_checkAddonFolder();
    lf_checkDataFile(g_regcodesEncPath, "site/AIG-regcodes.enc", "old aig", AIG_VERSION);
    lf_checkDataFile(g_dbaseEncPath, "site/dbase.enc", "old dbase", DBASE_VERSION);
    check(std::distance(fs::directory_iterator("input"), fs::directory_iterator()) == 2, "input: the two data files only");
    return lf_outcome();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    gf_initDataPaths();
    g_userFolder = g_simAddonAirportFolder / "EHRD.txt";
    g_installedFile = g_simAddonAirportFolder / "old\\KEEP.txt";
    fs::create_directories(g_dataFolder);
    ::setenv("TRWK_DOWNLOAD_BASE_URL", ("file://" + (fs::current_path() / "site").string() + "/").c_str(), 1);
    fs::create_directories("site/mysimaddon24");
    fuzzsupport::writeEncrypted("site/AIG-regcodes.enc", "<AIG-regcodes/>");
    fuzzsupport::writeEncrypted("site/dbase.enc", "<aircrafts/>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t zip = std::min(bytes.find("PK\3\4"), bytes.find("PK\5\6"));
    fuzzsupport::writeFile("site/versions.json", bytes.substr(0, zip));
    fs::remove("site/mysimaddon24/my_simaddon2024.zip");
    if (zip != std::string_view::npos)
        fuzzsupport::writeFile("site/mysimaddon24/my_simaddon2024.zip", bytes.substr(zip));

    const auto oneDrive = lf_start();
    g_acrossDrives = true;
    const auto acrossDrives = lf_start();
    g_acrossDrives = false;
    check(acrossDrives == oneDrive, "across drives: what one drive leaves");
    return 0;
}
