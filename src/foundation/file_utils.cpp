#include "foundation/file_utils.h"

#include "foundation/log.h"
#include "foundation/user_error.h"

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

void gf_cleanFolder(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    gf_log(fmt::format("Cleaning folder: {}", path.string()));
    try {
        if (!fs::exists(path) || !fs::is_directory(path))
            return;
        for (const auto& entry : fs::directory_iterator(path))
            fs::remove(entry.path());
    } catch (const fs::filesystem_error& e) {
        throw brv::UserErrorException(5, fmt::format("Filesystem error: {}", e.what()));
    } catch (const std::exception& e) {
        throw brv::UserErrorException(5, e.what());
    }
}

std::int32_t gf_countFolderEntries(const std::filesystem::path& path)
{
    std::error_code ec;
    std::int32_t count = 0;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        ++count;
    return count;
}
