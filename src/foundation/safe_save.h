#pragma once
// Replacing an XML file so that a crash or a full disk never leaves it half written: the new
// content goes to a temporary file beside it, reaches the disk, and is then renamed into place.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace pugi {
class xml_document;
}

// Saves with the library's default format (one tab per level). False when anything fails; the
// old file is then untouched and no temporary file is left.
bool gf_saveXmlReplacing(const pugi::xml_document& doc, const std::filesystem::path& path);

// Writes `text` into a file made anew under `pattern`, a path whose name ends in "XXXXXX": the
// name it becomes is one that nothing held (what is there already, a link or a file, is never
// opened). The file takes the permissions of `modeOf` when that exists and reaches the disk. The
// file made; empty when anything failed (`ec` tells why), and then nothing is left.
std::filesystem::path gf_writeNewFile(std::string_view text, std::string pattern, const std::filesystem::path& modeOf,
                                      std::error_code& ec);

// Called with the temporary file after it is written and before it replaces the target; an
// exception from it fails the save. Tests use it to interrupt a save; nullptr removes it.
void gf_setBeforeReplaceHook(std::function<void(const std::filesystem::path& temporary)> hook);
