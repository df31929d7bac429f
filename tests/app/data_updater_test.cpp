// The data updater against a download site in a temporary folder, or on a server that cuts files short.
#include "app/data_updater.h"

#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "support/logged_folder.h"

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fmt/format.h>
#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

// What the install's moves out of the folder it writes meet, from the move of number `at` on (0:
// the first; -1: nothing): `met` runs (a kill, a limit), then the move fails with `error` (0: it
// goes through); the moves after it too when `every`. A rename out of the add-on folder itself (a
// copy made there across drives, put in place) fails with `inFolderError` when that is not 0.
struct MoveFault {
    int at = -1;
    int error = 0;
    bool every = false;
    void (*met)() = nullptr;
    int inFolderError = 0;
};
static MoveFault g_moveFault; // set by the thread that runs the install, before it
static int g_movesSeen = 0;

// The process's rename(): the install's moves pass through it, so that one can fail or a child be
// killed at one.
extern "C" int rename(const char* from, const char* to) noexcept
{
    using Rename = int (*)(const char*, const char*);
    static const auto lt_real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    if (g_moveFault.inFolderError != 0 && std::string_view(from).starts_with("airports/my_simaddon/")) {
        errno = g_moveFault.inFolderError;
        return -1;
    }
    if (std::string_view(from).find("my_simaddon.new/") != std::string_view::npos && g_moveFault.at >= 0) {
        const int move = g_movesSeen++;
        if (move == g_moveFault.at || (g_moveFault.every && move > g_moveFault.at)) {
            if (g_moveFault.met != nullptr)
                g_moveFault.met();
            if (g_moveFault.error != 0) {
                errno = g_moveFault.error;
                return -1;
            }
        }
    }
    return lt_real(from, to);
}

namespace {

using Files = std::map<std::string, std::string>;
const fs::path g_siteZip = "site/mysimaddon24/my_simaddon2024.zip";
const std::vector<std::pair<std::string, std::string>> g_entries{
    {"EHRD.txt", "first"}, {"links/EHLE.xml", "L"}, {"folder\\EGLL.txt", "G"}, {"../x.txt", "x"},
    {"/abs.txt", "a"},     {"dir/", ""},            {"b/EHRD.txt", "R"}};
const Files g_unzipped{{"EHRD.txt", "R"}, {"EHLE.txt", "L"}, {"EGLL.txt", "G"}, {"x.txt", "x"}, {"abs.txt", "a"}};
const Files g_installed{{"EHLE.txt", "E"}, {"EDDF.txt", "F"}}; // EDDF is not in the archive
const std::pair<const char*, StringParameter*> g_versions[]{
    {"simaddon", &MYSIMADDON24_VERSION}, {"aig", &AIG_VERSION}, {"dbase", &DBASE_VERSION}};

std::string lf_read(const fs::path& p) { return {std::istreambuf_iterator<char>(std::ifstream(p).rdbuf()), {}}; }

void lf_write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

struct Site { // one start against a site that offers 1.2.3 of everything
    const char* name;
    const char* installed; // the version of all three, with files for them
    std::function<void(testsupport::TempFolder&, int httpPort)> change;
    std::string updated; // what the start must fetch, of "simaddon aig dbase"
    const char* logged;  // the start of a logged line
    Files kept{};        // left in my_simaddon beside what is unzipped
};

// The site's archive made anew with these entries.
void lf_zip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    fs::remove(g_siteZip);
    zip_t* zip = zip_open(g_siteZip.c_str(), ZIP_CREATE, nullptr);
    for (const auto& [name, data] : entries)
        zip_file_add(zip, name.c_str(), zip_source_buffer(zip, data.data(), data.size(), 0), 0);
    ASSERT_EQ(zip_close(zip), 0);
}

// The site's archive of g_entries and as many empty "E<n>.txt" after them as make `count` entries in all.
void lf_zipOfEntries(std::size_t count)
{
    auto entries = g_entries;
    for (std::size_t i = 0; entries.size() < count; ++i)
        entries.emplace_back(fmt::format("E{}.txt", i), "");
    lf_zip(entries);
}

// What lf_zipOfEntries(count) unpacks beside g_unzipped.
Files lf_fillers(std::size_t count)
{
    Files fillers;
    for (std::size_t i = 0; i + g_entries.size() < count; ++i)
        fillers[fmt::format("E{}.txt", i)] = "";
    return fillers;
}

// The site's archive of g_entries, padded to `bytes` in all by a stored folder entry (never
// unpacked) and the archive's comment.
void lf_zipOfSize(std::uintmax_t bytes)
{
    lf_zip(g_entries);
    const std::string padding(bytes - fs::file_size(g_siteZip) - 1000, '\0');
    zip_t* zip = zip_open(g_siteZip.c_str(), 0, nullptr);
    const zip_int64_t added = zip_dir_add(zip, "pad", 0);
    ASSERT_GE(added, 0);
    ASSERT_EQ(zip_file_replace(zip, added, zip_source_buffer(zip, padding.data(), padding.size(), 0), 0), 0);
    zip_set_file_compression(zip, added, ZIP_CM_STORE, 0);
    ASSERT_EQ(zip_close(zip), 0);
    const std::string comment(bytes - fs::file_size(g_siteZip), 'c');
    zip = zip_open(g_siteZip.c_str(), 0, nullptr);
    zip_set_archive_comment(zip, comment.data(), static_cast<zip_uint16_t>(comment.size()));
    ASSERT_EQ(zip_close(zip), 0);
    ASSERT_EQ(fs::file_size(g_siteZip), bytes);
}

const std::string g_allOffered = fmt::format(R"({{"simaddon":{0},"aig":{0},"dbase":{0}}})", R"({"major":1,"minor":2,"patch":3})");

// Every file below the folder walked (through a link to it), by its path relative to another.
Files lf_filesUnder(const fs::path& walked, const fs::path& relativeTo)
{
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(walked))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(relativeTo).string()] = lf_read(entry.path());
    return files;
}

std::ptrdiff_t lf_entriesIn(const fs::path& folder)
{
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

// The program folder at one version of all three, with files for them (g_installed in my_simaddon),
// and a download site that offers 1.2.3 of everything.
void lf_layOut(testsupport::TempFolder& folder, const std::string& installed)
{
    folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string());
    gf_initDataPaths();
    gf_resetOptions();
    SIM_CHOICE.value = std::string("MSFS 2024"); // g_msfs2020Mode keeps its value of the process start
    for (const fs::path& f : {fs::path("site/mysimaddon24"), g_inputFolder, g_simAddonAirportFolder})
        fs::create_directories(f);
    for (const char* name : {"dbase.enc", "AIG-regcodes.enc"})
        fs::copy_file(fs::path(TRWK_DATA_INPUT_DIR) / name, fs::path("site") / name);
    lf_zip(g_entries);
    lf_write("site/versions.json", g_allOffered);
    for (const auto& [key, option] : g_versions)
        option->value = installed;
    for (const auto& [path, text] : Files{{"input/dbase.enc", "D"}, {"input/AIG-regcodes.enc", "A"}})
        lf_write(path, text);
    for (const auto& [name, text] : g_installed)
        lf_write(g_simAddonAirportFolder / name, text);
}

// The moves of the install meet the fault while it lives.
struct FaultyMoves {
    explicit FaultyMoves(MoveFault fault) { g_moveFault = fault, g_movesSeen = 0; }
    ~FaultyMoves() { g_moveFault = {}; }
    FaultyMoves(const FaultyMoves&) = delete;
    FaultyMoves& operator=(const FaultyMoves&) = delete;
};

void lf_kill() { ::raise(SIGKILL); }

// parameters.xml holding the version of my_simaddon, as the start found it.
void lf_storeVersion(const char* version)
{
    fs::create_directories(fs::path(g_parametersPath).parent_path());
    lf_write(g_parametersPath, fmt::format(R"(<parameters><parameter name="{}" value="{}"/></parameters>)",
                                           MYSIMADDON24_VERSION.name, version));
}

// The version of my_simaddon as the next start reads it from parameters.xml.
std::string lf_loadStoredVersion()
{
    pugi::xml_document parameters;
    EXPECT_TRUE(parameters.load_file(g_parametersPath.c_str()));
    gf_loadStringParameter(MYSIMADDON24_VERSION, parameters);
    return MYSIMADDON24_VERSION.value.get();
}

// Runs `body` in a child process; its exit status, as waitpid gives it.
int lf_inChild(const std::function<void()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        body();
        ::_exit(0);
    }
    int status = -1;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return status;
}

bool lf_endedWell(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

class DataUpdater : public ::testing::TestWithParam<Site> {};

TEST_P(DataUpdater, FetchesWhatIsNewerOrMissingAndLeavesTheRestAsItWas)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, GetParam().installed);
    httplib::Server server; // versions.json whole, every other file announcing more than it sends
    server.Get("/versions.json", [](auto&, auto& res) { res.set_content(lf_read("site/versions.json"), "text/json"); });
    server.Get("/.+", [](auto&, auto& res) {
        res.set_content_provider(99, "text/plain", [](auto at, auto, auto& out) { return !at && out.write("PK", 2); });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    GetParam().change(folder, port);
    std::jthread thread([&server] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::yield();
    EXPECT_NO_THROW(gf_checkForUpdates());
    server.stop();

    auto lt_updated = [](const char* key) { return GetParam().updated.find(key) != std::string::npos; };
    // every file under airports, so that one left or written outside my_simaddon shows
    const Files unzipped = lf_filesUnder("airports", g_simAddonAirportFolder);
    Files expected = lt_updated("simaddon") ? g_unzipped : g_installed;
    expected.insert(GetParam().kept.begin(), GetParam().kept.end());
    EXPECT_EQ(unzipped, expected);
    EXPECT_FALSE(fs::exists("my_simaddon2024.zip")) << "the downloaded archive left behind";
    EXPECT_EQ(lf_read(g_regcodesEncPath), lt_updated("aig") ? lf_read("site/AIG-regcodes.enc") : "A");
    EXPECT_EQ(lf_read(g_dbaseEncPath), lt_updated("dbase") ? lf_read("site/dbase.enc") : "D");
    EXPECT_EQ(lf_entriesIn("input"), 2) << "a file left behind";
    for (const auto& [key, option] : g_versions)
        EXPECT_EQ(option->value.get(), lt_updated(key) ? "1.2.3" : GetParam().installed) << key;
    EXPECT_TRUE(std::ranges::any_of(folder.logLines(), [](auto& line) { return line.starts_with(GetParam().logged); }));
    // only an archive at the version offered is up to date, never one that failed
    const std::string upToDate = "simaddon version up-to-date";
    EXPECT_EQ(folder.logHas(upToDate), GetParam().logged == upToDate) << upToDate;
    EXPECT_EQ(folder.logHas("simaddon updated to 1.2.3"), lt_updated("simaddon"));
    EXPECT_EQ(lf_entriesIn("airports"), 1) << "a folder left behind";
    for (const std::string& line : folder.logLines()) // a user's folder is not even tried
        EXPECT_EQ(line.find("Could not remove"), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Sites, DataUpdater,
    ::testing::Values(
        Site{"AllAtTheVersionOffered", "1.2.3", [](auto&, int) {}, "", "simaddon version up-to-date"},
        Site{"SameVersionsWithAFileDeletedAndAnEmptyFolder", "1.2.3",
             [](auto&, int) { fs::remove(g_dbaseEncPath), fs::remove_all(g_simAddonAirportFolder / ""); },
             "simaddon dbase", "my_simaddon2024.zip unzipped 5 files"},
        Site{"DataKeysMissingIn2020Mode", "1.0.0", // "simaddon" is not looked at; "dbase" after "aig"
             [](auto&, int) { SIM_CHOICE.value = "MSFS 2020", lf_write("site/versions.json", R"({"simaddon":0})"); },
             "", "===> dbase version not found"},
        Site{"VersionWithoutMinorAndPatch", "1.0.0",
             [](auto&, int) { lf_write("site/versions.json", R"({"simaddon":{"major":2}})"); }, "",
             "gf_checkForUpdates exception: "},
        Site{"CorruptZip", "1.0.0", [](auto&, int) { lf_write(g_siteZip, "PK\3\4 not a zip"); }, "aig dbase",
             "Could not open my_simaddon2024.zip"},
        Site{"DamagedDataFile", "1.0.0", [](auto&, int) { lf_write("site/dbase.enc", "short"); }, "simaddon aig",
             "===> The downloaded dbase.enc is damaged"},
        Site{"CutTransfers", "1.0.0",
             [](auto& f, int port) { f.setEnv("TRWK_DOWNLOAD_BASE_URL", fmt::format("http://127.0.0.1:{}", port)); },
             "", "===> Downloading 'http://127.0.0.1:"},
        // a sub-folder that holds anything stays; an empty one goes
        Site{"ASubFolderThatIsNotEmpty", "1.0.0",
             [](auto&, int) {
                 fs::create_directories("airports/my_simaddon/sub");
                 fs::create_directories("airports/my_simaddon/empty");
                 lf_write("airports/my_simaddon/sub/k.txt", "K");
             },
             "simaddon aig dbase", "my_simaddon2024.zip unzipped 5 files", Files{{"sub/k.txt", "K"}}},
        // an archive installed whole or not at all: the old folder and its version stay, so that the
        // next start tries again
        Site{"AnEntryThatCannotBeWritten", "1.0.0",
             [](auto&, int) {
                 auto entries = g_entries;
                 entries.emplace_back(std::string(300, 'N') + ".txt", "too long a name");
                 lf_zip(entries);
             },
             "aig dbase", "===> my_simaddon2024.zip not installed: 1 of its 6 files could not be written"},
        // what a start stopped while installing left: a folder being written goes ...
        Site{"AFolderLeftHalfWritten", "1.0.0",
             [](auto&, int) {
                 fs::create_directories("airports/my_simaddon.new");
                 lf_write("airports/my_simaddon.new/EKCH.txt", "not in the archive");
             },
             "simaddon aig dbase", "my_simaddon2024.zip unzipped 5 files"},
        // ... the installed folder put aside comes back while the new one was not in place yet ...
        Site{"StoppedBetweenTheTwoRenames", "1.0.0",
             [](auto&, int) {
                 fs::rename(g_simAddonAirportFolder, "airports/my_simaddon.old");
                 fs::create_directories("airports/my_simaddon.new");
                 lf_write("airports/my_simaddon.new/EHRD.txt", "R");
                 fs::create_directories(g_simAddonAirportFolder); // as the start-up makes it
                 lf_write(g_siteZip, "PK\3\4 not a zip");
             },
             "aig dbase", "Could not open my_simaddon2024.zip"},
        // ... and goes once it was, its sub-folder that holds anything moved over
        Site{"StoppedBeforeTheOldFolderWent", "1.2.3",
             [](auto&, int) {
                 fs::create_directories("airports/my_simaddon.old/sub");
                 lf_write("airports/my_simaddon.old/EHLE.txt", "old");
                 lf_write("airports/my_simaddon.old/sub/k.txt", "K");
             },
             "", "simaddon version up-to-date", Files{{"sub/k.txt", "K"}}},
        // one key's failure skips none of the others, and a leftover archive goes all the same
        Site{"ABadSimaddonVersion", "1.0.0",
             [](auto&, int) {
                 lf_write("site/versions.json", R"({"simaddon":{"major":2},)" + g_allOffered.substr(g_allOffered.find("\"aig")));
                 lf_write("my_simaddon2024.zip", "left by an earlier start");
             },
             "aig dbase", "gf_checkForUpdates exception: simaddon: "},
        // an archive of 10,000 entries is taken ...
        Site{"TheMostEntries", "1.0.0", [](auto&, int) { lf_zipOfEntries(10000); }, "simaddon aig dbase",
             "my_simaddon2024.zip unzipped 9998 files", lf_fillers(10000)},
        // ... and archives beyond their bounds are refused whole: nothing is unpacked, the folder stays
        Site{"TooManyEntries", "1.0.0", [](auto&, int) { lf_zipOfEntries(10001); }, "aig dbase",
             "===> my_simaddon2024.zip refused: 10001 entries, more than 10000"},
        Site{"TooManyBytesUnpacked", "1.0.0",
             [](auto&, int) {
                 const std::string zeros(15 << 20, '\0');
                 lf_zip({{"A.txt", zeros}, {"B.txt", zeros}, {"C.txt", zeros}});
             },
             "aig dbase", "===> my_simaddon2024.zip refused: 47185920 bytes unpacked, more than 33554432"},
        // the archive file itself is bounded: 4 MiB is taken, one byte more is refused
        Site{"AnArchiveOf4MiB", "1.0.0", [](auto&, int) { lf_zipOfSize(4 << 20); }, "simaddon aig dbase",
             "my_simaddon2024.zip unzipped 5 files"},
        Site{"AnArchiveOneByteLarger", "1.0.0", [](auto&, int) { lf_zipOfSize((4 << 20) + 1); }, "aig dbase",
             "===> my_simaddon2024.zip refused: 4194305 bytes, more than 4194304"}),
    [](const auto& info) { return std::string(info.param.name); });

// Starts offering simaddon at 1.2.<patch> alone.
void lf_startOffering(int patch)
{
    lf_write("site/versions.json", fmt::format(R"({{"simaddon":{{"major":1,"minor":2,"patch":{}}}}})", patch));
    gf_checkForUpdates();
}

// A folder of the user's in my_simaddon named as a file of the archive, with a file in it; it keeps
// its place through two installs, each of which stores its version, and nothing is left beside.
struct UserFolder {
    const char* name;
    std::function<void()> lay; // the start's layout beside g_installed
};

class AUserFolderNamedAsAFileOfTheArchive : public ::testing::TestWithParam<UserFolder> {};

TEST_P(AUserFolderNamedAsAFileOfTheArchive, StaysInTheAddonFolderThroughTwoInstalls)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    GetParam().lay();
    Files expected = g_unzipped;
    expected.erase("EHRD.txt");
    expected["EHRD.txt/k.txt"] = "K";
    for (const int patch : {3, 4}) {
        lf_startOffering(patch);
        EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), fmt::format("1.2.{}", patch));
        EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), expected) << patch;
        EXPECT_EQ(lf_entriesIn("airports"), 1) << patch;
    }
    EXPECT_TRUE(folder.logHas("my_simaddon2024.zip unzipped 4 files"));
    EXPECT_TRUE(folder.logHas("Failed to write file: " + (g_simAddonAirportFolder / "EHRD.txt").string()));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AUserFolderNamedAsAFileOfTheArchive,
    ::testing::Values(
        UserFolder{"InTheAddonFolder", [] { testsupport::writeFile(g_simAddonAirportFolder / "EHRD.txt/k.txt", "K"); }},
        // what an earlier version's install left when the folder could not move back over the file
        UserFolder{"LeftInTheOldFolderPutAside",
                   [] {
                       testsupport::writeFile("airports/my_simaddon.old/EHRD.txt/k.txt", "K");
                       lf_write("airports/my_simaddon.old/EDDF.txt", "F");
                       lf_write(g_simAddonAirportFolder / "EHRD.txt", "R");
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

// my_simaddon a link to a folder elsewhere, in the program folder's file system or, as the install
// finds it, on another drive: each move of a written file refused as one across file systems.
class ALinkedAddonFolder : public ::testing::TestWithParam<bool> {};

TEST_P(ALinkedAddonFolder, StaysTheLinkAndTheFolderItNamesIsInstalledInto)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    const fs::path linked = folder.path() / "elsewhere" / "addon";
    fs::create_directories(linked.parent_path());
    fs::copy(g_simAddonAirportFolder, linked);
    fs::remove_all(g_simAddonAirportFolder);
    testsupport::writeFile(linked / "sub/k.txt", "K"); // a folder of the user's
    fs::create_directory_symlink(linked, g_simAddonAirportFolder);

    const FaultyMoves moves(GetParam() ? MoveFault{0, EXDEV, true} : MoveFault{});
    lf_startOffering(3);
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    ASSERT_TRUE(fs::is_symlink(g_simAddonAirportFolder));
    EXPECT_EQ(fs::read_symlink(g_simAddonAirportFolder), linked);
    Files expected = g_unzipped;
    expected["sub/k.txt"] = "K";
    EXPECT_EQ(lf_filesUnder(linked, linked), expected);
    EXPECT_EQ(lf_entriesIn("airports"), 1);
}

INSTANTIATE_TEST_SUITE_P(FileSystems, ALinkedAddonFolder, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "AnotherOne" : "TheProgramFolders"; });

// my_simaddon on a drive with little room, reached by copies (each file cut at 4 KiB): the copy
// that fails half-way leaves the installed file of its name whole and nothing beside it, no
// version is stored, and the next start, with room, installs whole.
TEST(ACopyAcrossFileSystemsThatFailsHalfWay, LeavesEachFileWholeAndTheNextStartInstalls)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    auto entries = g_entries;
    entries.emplace_back("EHAM.txt", std::string(7000, 'n'));
    lf_zip(entries);
    lf_write(g_simAddonAirportFolder / "EHAM.txt", std::string(7000, 'o'));
    lf_storeVersion("1.0.0");
    Files installed = g_installed;
    installed["EHAM.txt"] = std::string(7000, 'o');
    Files offered = g_unzipped;
    offered["EHAM.txt"] = std::string(7000, 'n');

    const int status = lf_inChild([] {
        ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
        const FaultyMoves moves({0, EXDEV, true, [] {
                                     const rlimit limit{4096, 4096};
                                     ::setrlimit(RLIMIT_FSIZE, &limit);
                                 }});
        lf_startOffering(3);
    });
    ASSERT_TRUE(lf_endedWell(status)) << status;
    // a file shown by its size and first byte
    const auto lt_shown = [](const std::string& text) { return fmt::format("{} x '{:.1}'", text.size(), text); };
    const Files now = lf_filesUnder("airports", g_simAddonAirportFolder);
    EXPECT_EQ(lt_shown(now.at("EHAM.txt")), lt_shown(installed.at("EHAM.txt")));
    for (const auto& [name, text] : now)
        EXPECT_TRUE((installed.contains(name) && installed.at(name) == text) ||
                    (offered.contains(name) && offered.at(name) == text))
            << name << ": " << lt_shown(text);
    EXPECT_EQ(lf_loadStoredVersion(), "");

    gf_checkForUpdates();
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    EXPECT_TRUE(lf_filesUnder("airports", g_simAddonAirportFolder) == offered);
}

// my_simaddon on another drive, each written file copied into it, beside what a start may find at
// a copy's name: a link to a file outside it, one that names nothing or one that names the
// installed file, a folder of the user's. No link is followed, nothing there blocks the install,
// a file of the longest name the folder holds is installed too, and the version is stored.
struct AtACopysName {
    const char* name;
    std::function<void(const fs::path& outside)> lay; // beside g_installed and EHAM.txt
    Files kept{};                                     // left in my_simaddon beside what is unzipped
};

class ACopyAcrossDrives : public ::testing::TestWithParam<AtACopysName> {};

TEST_P(ACopyAcrossDrives, FollowsNoLinkAndIsBlockedByNothing)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    auto entries = g_entries;
    entries.emplace_back("EHAM.txt", "new");
    lf_zip(entries);
    lf_write(g_simAddonAirportFolder / "EHAM.txt", "old");
    const fs::path outside = folder.path() / "outside";
    testsupport::writeFile(outside / "file.txt", "outside");
    fs::permissions(outside / "file.txt", fs::perms::owner_read | fs::perms::owner_write);
    GetParam().lay(outside);

    const FaultyMoves moves({0, EXDEV, true});
    lf_startOffering(3);
    EXPECT_EQ(lf_filesUnder(outside, outside), (Files{{"file.txt", "outside"}}));
    EXPECT_EQ(fs::status(outside / "file.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    ASSERT_FALSE(fs::is_symlink(g_simAddonAirportFolder / "EHAM.txt"));
    Files expected = g_unzipped;
    expected["EHAM.txt"] = "new";
    expected.insert(GetParam().kept.begin(), GetParam().kept.end());
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), expected);
    EXPECT_EQ(lf_entriesIn("airports"), 1);
}

const fs::path g_passingName = g_simAddonAirportFolder / "EHAM.txt.part"; // where copies were made

INSTANTIATE_TEST_SUITE_P(
    Layouts, ACopyAcrossDrives,
    ::testing::Values(
        AtACopysName{"ALinkToAFileOutside",
                     [](const fs::path& outside) { fs::create_symlink(outside / "file.txt", g_passingName); }},
        AtACopysName{"ALinkThatNamesNothing",
                     [](const fs::path& outside) { fs::create_symlink(outside / "nothing.txt", g_passingName); }},
        AtACopysName{"ALinkToTheInstalledFile", [](const fs::path&) { fs::create_symlink("EHAM.txt", g_passingName); }},
        AtACopysName{"AUsersFolder", [](const fs::path&) { testsupport::writeFile(g_passingName / "k.txt", "K"); },
                     Files{{"EHAM.txt.part/k.txt", "K"}}},
        // the longest name a folder holds, 255 bytes
        AtACopysName{"AFileOfThe255ByteName",
                     [](const fs::path&) {
                         auto entries = g_entries;
                         entries.emplace_back("EHAM.txt", "new");
                         entries.emplace_back(std::string(251, 'L') + ".txt", "long");
                         lf_zip(entries);
                     },
                     Files{{std::string(251, 'L') + ".txt", "long"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy made across drives whose rename over the installed file fails (an I/O error) goes: the
// installed files stay whole with nothing beside them, no version is stored, and the next start
// installs whole.
TEST(ACopyAcrossDrivesThatCannotTakeItsPlace, GoesAndTheNextStartInstalls)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    lf_storeVersion("1.0.0");
    {
        const FaultyMoves moves({0, EXDEV, true, nullptr, EIO});
        lf_startOffering(3);
    }
    EXPECT_EQ(lf_loadStoredVersion(), "");
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), g_installed);
    EXPECT_EQ(lf_entriesIn(g_simAddonAirportFolder), std::ssize(g_installed)) << "a copy left beside";

    const FaultyMoves moves({0, EXDEV, true});
    lf_startOffering(3);
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), g_unzipped);
}

// A folder of the user's named as a file of the archive whose content cannot be read (the install
// runs as a user without rights: nobody, when the tests run as root): it keeps its place, that file
// is left out, and the version is stored.
TEST(AnUnreadableFolderOfTheUsers, KeepsItsPlaceAndTheVersionIsStored)
{
    // nobody must reach the program folder, whatever TMPDIR is (mktemp -d makes one for root alone)
    std::optional<testsupport::TempFolder> reachable;
    if (::geteuid() == 0) {
        reachable.emplace("/tmp");
        fs::permissions(reachable->path(), fs::perms::others_exec, fs::perm_options::add);
        reachable->setEnv("TMPDIR", reachable->path().string());
    }
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    const fs::path users = g_simAddonAirportFolder / "EHRD.txt";
    testsupport::writeFile(users / "k.txt", "K");
    fs::permissions(users, fs::perms::none);
    lf_storeVersion("1.0.0");
    const int status = lf_inChild([&folder] {
        if (::geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            for (const auto& entry : fs::recursive_directory_iterator(folder.path()))
                if (::lchown(entry.path().c_str(), nobody, nobody) != 0)
                    ::_exit(2);
            if (::chown(folder.path().c_str(), nobody, nobody) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(2);
        }
        lf_startOffering(3);
    });
    fs::permissions(users, fs::perms::owner_all);
    ASSERT_TRUE(lf_endedWell(status)) << status;
    EXPECT_EQ(lf_loadStoredVersion(), "1.2.3");
    Files expected = g_unzipped;
    expected.erase("EHRD.txt");
    expected["EHRD.txt/k.txt"] = "K";
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), expected);
    EXPECT_TRUE(folder.logHas("Failed to write file: " + users.string()));
}

// A link put aside by an earlier version's install in my_simaddon's place: the link goes, the
// folder it names keeps what it holds.
TEST(ALinkPutAsideByAnEarlierVersion, GoesWithoutTheFolderItNamesBeingEmptied)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.2.3");
    const fs::path linked = folder.path() / "elsewhere";
    const Files held{{"EHLE.txt", "old"}, {"sub/k.txt", "K"}};
    for (const auto& [name, text] : held)
        testsupport::writeFile(linked / name, text);
    fs::create_directory_symlink(linked, "airports/my_simaddon.old");

    lf_startOffering(3);
    EXPECT_EQ(lf_filesUnder(linked, linked), held);
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), g_installed);
    EXPECT_EQ(lf_entriesIn("airports"), 1);
}

// my_simaddon a link to a folder that is gone: nothing is installed, the link stays, and the written
// folder does not stay beside it.
TEST(ALinkedAddonFolderThatIsGone, IsNotInstalledIntoAndNothingIsLeftBeside)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    fs::remove_all(g_simAddonAirportFolder);
    fs::create_directory_symlink(folder.path() / "gone", g_simAddonAirportFolder);

    lf_startOffering(3);
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.0.0");
    EXPECT_TRUE(fs::is_symlink(g_simAddonAirportFolder));
    EXPECT_EQ(lf_entriesIn("airports"), 1);
}

// A start cut short while it moves the written files into my_simaddon, with the version offered
// stored already (the install runs as the folder was empty): killed after none, one or four of
// them, or one move failing. The next start finds no version stored and installs the archive whole.
struct CutShort {
    const char* name;
    MoveFault fault;
    std::ptrdiff_t placed; // the files in my_simaddon afterwards
};

class AStartCutShortWhileItMovesFiles : public ::testing::TestWithParam<CutShort> {};

TEST_P(AStartCutShortWhileItMovesFiles, LeavesNoVersionStoredAndTheNextStartInstallsWhole)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.2.3");
    lf_write("site/versions.json", R"({"simaddon":{"major":1,"minor":2,"patch":3}})");
    fs::remove_all(g_simAddonAirportFolder / "");
    lf_storeVersion("1.2.3");

    const int status = lf_inChild([] {
        const FaultyMoves moves(GetParam().fault);
        gf_checkForUpdates();
    });
    if (GetParam().fault.met == lf_kill)
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    else
        ASSERT_TRUE(lf_endedWell(status)) << status;
    EXPECT_EQ(lf_entriesIn(g_simAddonAirportFolder), GetParam().placed);

    EXPECT_EQ(lf_loadStoredVersion(), "");
    gf_checkForUpdates();
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    EXPECT_EQ(lf_filesUnder("airports", g_simAddonAirportFolder), g_unzipped);
    EXPECT_EQ(lf_entriesIn("airports"), 1);
}

INSTANTIATE_TEST_SUITE_P(Moves, AStartCutShortWhileItMovesFiles,
                         ::testing::Values(CutShort{"KilledBeforeTheFirst", {0, 0, false, lf_kill}, 0},
                                           CutShort{"KilledAfterOne", {1, 0, false, lf_kill}, 1},
                                           CutShort{"KilledAfterFour", {4, 0, false, lf_kill}, 4},
                                           CutShort{"AnIOErrorAtTheSecond", {1, EIO}, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

// my_simaddon a link, beside a folder put aside by an earlier version that cannot go (its user's
// folder is named as one in the linked folder) and a written folder a killed start left: the link
// stays and is installed into, and neither user's folder is lost.
TEST(ALinkedAddonFolderBesideLeftovers, StaysTheLink)
{
    testsupport::LoggedFolder folder;
    lf_layOut(folder, "1.0.0");
    const fs::path linked = folder.path() / "elsewhere";
    fs::rename(g_simAddonAirportFolder, linked);
    testsupport::writeFile(linked / "sub/j.txt", "J");
    fs::create_directory_symlink(linked, g_simAddonAirportFolder);
    testsupport::writeFile("airports/my_simaddon.old/sub/k.txt", "K");
    testsupport::writeFile("airports/my_simaddon.new/EHRD.txt", "R");

    lf_startOffering(3);
    ASSERT_TRUE(fs::is_symlink(g_simAddonAirportFolder));
    EXPECT_EQ(fs::read_symlink(g_simAddonAirportFolder), linked);
    EXPECT_EQ(MYSIMADDON24_VERSION.value.get(), "1.2.3");
    Files expected = g_unzipped;
    expected["sub/j.txt"] = "J";
    EXPECT_EQ(lf_filesUnder(linked, linked), expected);
    EXPECT_EQ(lf_read("airports/my_simaddon.old/sub/k.txt"), "K");
}

} // namespace
