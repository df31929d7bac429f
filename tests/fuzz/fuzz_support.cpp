#include "fuzz_support.h"

#include "aircraft/dbase_reader.h"
#include "foundation/paths.h"
#include "stream_encrypt.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fuzzsupport {

namespace {

fs::path g_programFolder;

void lf_removeProgramFolder()
{
    std::error_code ec;
    fs::remove_all(g_programFolder, ec);
}

} // namespace

void enterProgramFolder()
{
    // TMPDIR, else in memory where there is such a folder: a disk would flush every file written over
    std::error_code ec;
    const bool inMemory = std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec);
    const fs::path base = inMemory ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "trwk-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    g_programFolder = pattern;
    std::atexit(lf_removeProgramFolder);
    fs::current_path(g_programFolder);
    ::setenv("HOME", (g_programFolder / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_programFolder / "home" / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_programFolder / "home" / ".local" / "share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (g_programFolder / "run").c_str(), 1);
    for (const char* folder : {"home/.config", "home/.local/share", "run", "docs", "input", "output"})
        fs::create_directories(g_programFolder / folder);
}

void loadShippedDatabase()
{
    gf_streamEncrypt(fs::path(TRWK_SOURCE_DIR) / "data/plain/dbase.xml", g_dbaseEncPath);
    if (!gf_readDbase())
        throw std::runtime_error("the shipped database does not load");
}

void writeFile(const fs::path& path, std::string_view bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeEncrypted(const fs::path& path, std::string_view plain)
{
    writeFile("plain.tmp", plain);
    gf_streamEncrypt("plain.tmp", path);
}

void check(bool rule, const char* what)
{
    if (rule)
        return;
    std::fprintf(stderr, "broken rule: %s\n", what);
    std::abort();
}

} // namespace fuzzsupport
