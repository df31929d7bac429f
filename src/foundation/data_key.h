#pragma once
// The key of the encrypted data files (dbase.enc, AIG-regcodes.enc). The program decrypts with
// it and the encryptor in tools/ produces the files with it.
#include <array>
#include <cstddef>

inline constexpr std::size_t g_dataKeySize = 32;

inline constexpr std::array<unsigned char, g_dataKeySize> g_dataKey{
    0x55, 0xfa, 0x7e, 0x63, 0x7e, 0x6e, 0x72, 0x6b, 0xcd, 0xa6, 0xd3, 0x02, 0x9a, 0x98, 0x27, 0x42,
    0xb4, 0x3f, 0xd9, 0xdc, 0x66, 0x53, 0x59, 0x72, 0xe9, 0xbb, 0xa1, 0xa3, 0x4a, 0x3d, 0xc6, 0xda,
};

// The layout of an encrypted file: a stream header, then chunks of this many plaintext bytes,
// each followed by its authentication bytes; the last chunk is tagged final.
inline constexpr std::size_t g_dataChunkSize = 4096;
