#include "fuzz_support.h"

#include "aircraft/dbase_reader.h"
#include "foundation/paths.h"
#include "stream_encrypt.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
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
    const fs::path root = pattern;
    g_programFolder = root;
    std::atexit(lf_removeProgramFolder);
    fs::current_path(root);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "home" / ".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "home" / ".local" / "share").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    for (const char* folder : {"home/.config", "home/.local/share", "run", "docs", "input", "output"})
        fs::create_directories(root / folder);
}

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing file " + path.string());
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string readSample(const std::string& relativePath) { return readFile(fs::path(TRWK_SOURCE_DIR) / relativePath); }

void writeFile(const fs::path& path, std::string_view bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeEncrypted(const fs::path& path, std::string_view plain)
{
    const fs::path source = "plain.tmp";
    writeFile(source, plain);
    gf_streamEncrypt(source, path);
    fs::remove(source);
}

void loadShippedDatabase()
{
    writeEncrypted(g_dbaseEncPath, readSample("data/plain/dbase.xml"));
    if (!gf_readDbase())
        throw std::runtime_error("the shipped database does not load");
}

Input splitInput(const std::uint8_t* data, std::size_t size, unsigned readers)
{
    if (size == 0)
        return {};
    return {data[0] % readers, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

void check(bool rule, const char* what)
{
    if (rule)
        return;
    std::fprintf(stderr, "broken rule: %s\n", what);
    std::abort();
}

} // namespace fuzzsupport
