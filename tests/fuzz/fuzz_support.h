#pragma once
// What the fuzz targets share: a program folder of their own, the project's sample files, the
// first byte of an input choosing the reader that takes the rest, and the check of a rule.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzsupport {

// A fresh temporary folder (under TMPDIR, else in memory when possible) becomes the current folder, HOME and the XDG folders (the log stays
// closed). Call once, from LLVMFuzzerInitialize.
void enterProgramFolder();

// A file of the source tree, such as "data/plain/dbase.xml".
std::string readSample(const std::string& relativePath);
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view bytes);
// The text encrypted the way the build makes the shipped files.
void writeEncrypted(const std::filesystem::path& path, std::string_view plain);

// The shipped aircraft database (data/plain/dbase.xml, encrypted and read as the program does).
void loadShippedDatabase();

// The reader an input is for (its first byte modulo `readers`) and the bytes it reads.
struct Input {
    unsigned reader = 0;
    std::string_view bytes;
};
Input splitInput(const std::uint8_t* data, std::size_t size, unsigned readers);

// A broken rule of what a reader returned: the message, then abort(), which the fuzzer reports.
void check(bool rule, const char* what);

} // namespace fuzzsupport
