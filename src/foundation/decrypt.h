#pragma once
// Decryption of the program's encrypted data files, and removal of their plain copies.
#include <filesystem>

// Decrypts `input` into `output`. True: the output holds the whole plaintext and is closed.
// False: the reason was logged and the output has been removed. A stream that ends before its
// final chunk, or a header that is missing or short, is a failure.
bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output);

// Removes the file when it exists; a failure is logged and otherwise ignored.
void gf_removeFile(const std::filesystem::path& path);
