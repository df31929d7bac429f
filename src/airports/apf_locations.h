#pragma once
// Where an airport's parking file lies: the user's folders airports/my_thirdparty and
// airports/my_simaddon (a CODE.xml, or a link file CODE.txt whose first line names the file
// elsewhere), else the stock archive of the download site; and where its learned file lives.
//
// A park-file reference beginning with "airports" is a local path; any other, such as
// "archive/stock/EDDF.xml", is a path on the download site.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Missing is an answer; any other failure to ask raises the file-system error "exists".
bool gf_fileExists(const std::filesystem::path& path);

std::filesystem::path gf_xmlFileName(const std::filesystem::path& name); // name + ".xml"
std::filesystem::path gf_txtFileName(const std::filesystem::path& name); // name + ".txt"
std::string gf_xmlFileString(std::string_view name);                     // name + ".xml"

// A parking file is available (the user's folders, else one probe of the stock archive).
bool gf_apfExists(const std::string& code);
// The airport's park-file reference; empty when there is none.
std::string gf_findApfReference(const std::string& code);
// The first line of a link file up to and including its last ".xml", with '\' read as '/';
// false when the file is missing, empty, or its first line names no ".xml", and, logged, when
// the reference holds ".." or starts at a root, or is longer than 1,024 bytes.
bool gf_readApfLinkFile(const std::filesystem::path& path, std::string& reference);
// Where the learned file of the airport `code` with this parking file lives, for the loader and
// the writer alike; always below airports/learned: airports/learned/stock,
// airports/learned/simaddon or airports/learned/thirdparty/<publisher>, and for a parking file
// outside the program's folders airports/learned/thirdparty/<publisher>/CODE.xml. Empty for an
// empty reference.
std::filesystem::path gf_learnedApfPath(const std::string& reference, const std::string& publisher,
                                        const std::string& code);
// The parking files (a four-character stem, extension .xml in any case) an earlier add-on
// airport scan left in airports/my_thirdparty.
std::vector<std::string> gf_listGeneratedApfs();
