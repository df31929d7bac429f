#pragma once
// What the fuzz targets share: a program folder of their own, the shipped database, files written
// for the readers and read back, and the check of a rule. Their seeds lie in tests/fuzz/seeds and
// are named by scripts/fuzz, which runs them.
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzsupport {

// A fresh temporary folder (under TMPDIR, else in memory when possible) becomes the current
// folder, HOME and the XDG folders (the log stays closed); it goes at exit. Call once, from
// LLVMFuzzerInitialize.
void enterProgramFolder();

// The shipped aircraft database (data/plain/dbase.xml, encrypted and read as the program does).
void loadShippedDatabase();

void writeFile(const std::filesystem::path& path, std::string_view bytes);
// The file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// The text encrypted the way the build makes the shipped files.
void writeEncrypted(const std::filesystem::path& path, std::string_view plain);

// A broken rule of what a reader returned: the message, then abort(), which the fuzzer reports.
void check(bool rule, const char* what);

} // namespace fuzzsupport
