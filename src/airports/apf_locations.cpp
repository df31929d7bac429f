#include "airports/apf_locations.h"

#include "airports/any_text_lines.h"
#include "airports/apf_download.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <fmt/format.h>
#include <system_error>

namespace {

constexpr std::size_t lf_generatedReserve = 512;
constexpr std::size_t lf_shownReference = 200;
// far above any path of the program's folders or the download site: a longer one is no reference
constexpr std::size_t lf_maxReferenceBytes = 1024;
constexpr std::size_t lf_maxNameBytes = 255; // the longest file name the file system takes

void lf_replaceFirst(std::string& text, std::string_view what, std::string_view with)
{
    if (const auto at = text.find(what); at != std::string::npos)
        text.replace(at, what.size(), with);
}

// Built anew rather than replaced in place, which g++ 12 wrongly warns about.
std::string lf_replaceAll(std::string_view text, std::string_view what, std::string_view with)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0;;) {
        const auto next = text.find(what, at);
        result.append(text.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos)
            return result;
        result.append(with);
        at = next + what.size();
    }
}

// A publisher or code (read from a file) as one folder or file name: no separators, no "." or
// "..", and no longer than the file system takes.
std::string lf_folderName(std::string name)
{
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }, '_');
    if (name == "." || name == "..")
        name = "_";
    if (name.size() > lf_maxNameBytes)
        name = gf_cutText(name, lf_maxNameBytes - 3);
    return name;
}

// The path lies below airports/learned, also once its ".." are taken away.
bool lf_insideLearnedFolder(const fs::path& path)
{
    const fs::path normal = path.lexically_normal();
    auto it = normal.begin();
    for (const fs::path& part : g_learnedFolder)
        if (it == normal.end() || *it++ != part)
            return false;
    return it != normal.end();
}

// A reference that names a folder above its own start, or starts at a root ("/x", "C:/x").
bool lf_leavesItsFolder(std::string_view reference)
{
    if (reference.starts_with('/') || (reference.size() >= 2 && reference[1] == ':'))
        return true;
    for (std::size_t begin = 0; begin <= reference.size();) {
        const std::size_t end = std::min(reference.find('/', begin), reference.size());
        if (reference.substr(begin, end - begin) == "..")
            return true;
        begin = end + 1;
    }
    return false;
}

} // namespace

bool gf_fileExists(const fs::path& path)
{
    std::error_code ec;
    const bool exists = fs::exists(path, ec);
    if (ec)
        throw fs::filesystem_error("exists", path, ec);
    return exists;
}

fs::path gf_xmlFileName(const fs::path& name)
{
    fs::path file = name;
    file += ".xml";
    return file;
}

fs::path gf_txtFileName(const fs::path& name)
{
    fs::path file = name;
    file += ".txt";
    return file;
}

std::string gf_xmlFileString(std::string_view name) { return std::string(name) + ".xml"; }

bool gf_apfExists(const std::string& code)
{
    for (const fs::path* folder : {&g_userAirportFolder, &g_simAddonAirportFolder})
        if (gf_fileExists(gf_xmlFileName(*folder / code)) || gf_fileExists(gf_txtFileName(*folder / code)))
            return true;
    return gf_downloadStockApf(code);
}

std::string gf_findApfReference(const std::string& code)
{
    for (const fs::path* folder : {&g_userAirportFolder, &g_simAddonAirportFolder}) {
        if (std::string reference; gf_readApfLinkFile(gf_txtFileName(*folder / code), reference))
            return reference;
        if (const fs::path file = gf_xmlFileName(*folder / code); gf_fileExists(file))
            return file.generic_string();
    }
    if (gf_downloadStockApf(code))
        return "archive/stock/" + gf_xmlFileString(code);
    return {};
}

bool gf_readApfLinkFile(const fs::path& path, std::string& reference)
{
    if (!gf_fileExists(path))
        return false;
    std::vector<std::string> lines;
    if (!gf_readAnyTextLines(path, lines) || lines.empty())
        return false;
    std::string line = lines.front();
    line.erase(line.find_last_not_of(g_blanks) + 1);
    const auto xml = line.rfind(".xml");
    if (xml == std::string::npos)
        return false;
    const std::size_t length = xml + 4;
    if (length > lf_maxReferenceBytes) {
        gf_logError(fmt::format("Link file {} refused: '{}' holds {} bytes, more than {}", gf_pathToUtf8(path),
                                gf_cutText(std::string_view(line).substr(0, length), lf_shownReference), length,
                                lf_maxReferenceBytes));
        return false;
    }
    std::string found = line.substr(0, length);
    std::replace(found.begin(), found.end(), '\\', '/');
    if (lf_leavesItsFolder(found)) {
        gf_logError(fmt::format("Link file {} refused: '{}' holds '..' or a root", gf_pathToUtf8(path),
                                gf_cutText(found, lf_shownReference)));
        return false;
    }
    reference = std::move(found);
    return true;
}

fs::path gf_learnedApfPath(const std::string& reference, const std::string& publisher, const std::string& code)
{
    if (reference.empty())
        return {};
    std::string path = reference;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string learned = g_learnedFolder.generic_string();
    bool placed = true;
    if (path.size() >= 7 && path.find("archive") != std::string::npos) {
        lf_replaceFirst(path, "archive", learned);
        path = lf_replaceAll(path, "%20", " ");
    } else if (path.starts_with(g_airportsFolder.generic_string())) {
        lf_replaceFirst(path, g_airportsFolder.generic_string(), learned);
        const std::string thirdparty = "thirdparty/" + lf_folderName(publisher);
        if (path.find("my_thirdparty2024") != std::string::npos)
            lf_replaceFirst(path, "my_thirdparty2024", thirdparty);
        else if (path.find("my_thirdparty") != std::string::npos)
            lf_replaceFirst(path, "my_thirdparty", thirdparty);
        else // the learning writes the files of my_simaddon airports under learned/simaddon
            lf_replaceFirst(path, "my_simaddon", "simaddon");
    } else {
        placed = false;
    }
    if (placed && lf_insideLearnedFolder(gf_pathFromUtf8(path)))
        return gf_pathFromUtf8(path);
    // a parking file elsewhere (the user's own, outside the program's folders): never beside it
    const std::string folder = publisher.empty() ? "_" : lf_folderName(publisher);
    return g_learnedThirdPartyFolder / gf_pathFromUtf8(folder) / gf_xmlFileName(gf_pathFromUtf8(lf_folderName(code)));
}

std::vector<std::string> gf_listGeneratedApfs()
{
    std::vector<std::string> files;
    if (!gf_fileExists(g_userAirportFolder))
        return files;
    files.reserve(lf_generatedReserve);
    std::error_code ec;
    fs::directory_iterator it(g_userAirportFolder, ec);
    if (ec)
        throw fs::filesystem_error("directory_iterator::directory_iterator", g_userAirportFolder, ec);
    for (; it != fs::directory_iterator();) {
        const bool regular = it->is_regular_file(ec);
        if (ec && ec != std::errc::no_such_file_or_directory)
            throw fs::filesystem_error("directory_entry::status", it->path(), ec);
        const fs::path& path = it->path();
        if (regular && gf_equalsUppercased(".XML", path.extension().string()) && path.stem().string().size() == 4)
            files.push_back(path.generic_string());
        it.increment(ec);
        if (ec)
            throw fs::filesystem_error("directory_iterator::operator++", g_userAirportFolder, ec);
    }
    return files;
}
