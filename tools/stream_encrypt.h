#pragma once
// The producing side of the encrypted data files: a secret stream of 4096-byte plaintext
// chunks, the last one tagged final, under the program's data key.
#include <array>
#include <cstddef>
#include <filesystem>
#include <ostream>
#include <sodium.h>
#include <span>

class StreamEncryptor {
public:
    // Writes the stream header to `out`.
    StreamEncryptor(std::ostream& out, const std::array<unsigned char, 32>& key);
    // Writes one chunk of at most 4096 plaintext bytes; `final` tags it as the last one.
    void push(std::span<const unsigned char> chunk, bool final);

private:
    std::ostream& m_out;
    crypto_secretstream_xchacha20poly1305_state m_state;
};

// Encrypts a whole file with the data key; an empty input gives one empty final chunk.
// Raises std::runtime_error when a file cannot be read or written.
void gf_streamEncrypt(const std::filesystem::path& input, const std::filesystem::path& output);
