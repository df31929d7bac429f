#pragma once
// Decryption of the program's encrypted data files, and removal of their plain copies.
#include <filesystem>
#include <functional>

// Decrypts `input` into `output`. True: the output holds the whole plaintext and is closed.
// False: the reason was logged and the output has been removed. A stream that ends before its
// final chunk, or a header that is missing or short, is a failure.
bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output);

// Removes the file when it exists; a failure is logged and otherwise ignored.
void gf_removeFile(const std::filesystem::path& path);

// Decrypts `input` into `plain` and hands the plain copy to `read`; the copy is removed however
// `read` ends, its exception passing on. False, without calling `read`, when decryption failed.
bool gf_readDecrypted(const std::filesystem::path& input, const std::filesystem::path& plain,
                      const std::function<void()>& read);
