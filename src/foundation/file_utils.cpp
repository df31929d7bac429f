#include "foundation/file_utils.h"

#include "foundation/log.h"

#include <fmt/format.h>
#include <pugixml.hpp>
#include <system_error>

bool gf_saveXml(const pugi::xml_document& doc, const std::filesystem::path& path)
{
    const bool saved = doc.save_file(path.c_str());
    if (saved)
        gf_log(fmt::format("'{}' saved", path.string()));
    else
        gf_logError(fmt::format("could not save to '{}'", path.string()));
    return saved;
}

namespace {

void lf_logFilesystemError(const char* operation, const std::filesystem::path& path, std::error_code ec)
{
    gf_logError(fmt::format("{}: {}", "gf_cleanFolder", std::filesystem::filesystem_error(operation, path, ec).what()));
}

} // namespace

void gf_cleanFolder(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    gf_log(fmt::format("Cleaning folder: {}", path.string()));
    std::error_code ec;
    if (!fs::is_directory(path, ec)) {
        if (ec && ec != std::errc::no_such_file_or_directory)
            lf_logFilesystemError("is_directory", path, ec);
        return;
    }
    // an entry that cannot go (a sub-folder that is not empty) stays, logged; the others go all the same
    fs::directory_iterator it(path, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code removed;
        fs::remove(it->path(), removed);
        if (removed)
            lf_logFilesystemError("remove", it->path(), removed);
    }
    if (ec)
        lf_logFilesystemError("directory_iterator", path, ec);
}

std::int32_t gf_countFolderEntries(const std::filesystem::path& path)
{
    std::error_code ec;
    std::int32_t count = 0;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        ++count;
    return count;
}
