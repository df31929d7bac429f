#include "stream_encrypt.h"

#include "foundation/data_key.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

StreamEncryptor::StreamEncryptor(std::ostream& out, const std::array<unsigned char, 32>& key) : m_out(out)
{
    if (sodium_init() < 0)
        throw std::runtime_error("sodium_init failed");
    std::array<unsigned char, crypto_secretstream_xchacha20poly1305_HEADERBYTES> header{};
    crypto_secretstream_xchacha20poly1305_init_push(&m_state, header.data(), key.data());
    m_out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
}

void StreamEncryptor::push(std::span<const unsigned char> chunk, bool final)
{
    if (chunk.size() > g_dataChunkSize)
        throw std::invalid_argument("chunk larger than " + std::to_string(g_dataChunkSize) + " bytes");
    std::vector<unsigned char> cipher(chunk.size() + crypto_secretstream_xchacha20poly1305_ABYTES);
    unsigned long long cipherLength = 0;
    crypto_secretstream_xchacha20poly1305_push(&m_state, cipher.data(), &cipherLength, chunk.data(), chunk.size(),
                                               nullptr, 0,
                                               final ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
    m_out.write(reinterpret_cast<const char*>(cipher.data()), static_cast<std::streamsize>(cipherLength));
}

void gf_streamEncrypt(const std::filesystem::path& input, const std::filesystem::path& output)
{
    std::ifstream in(input, std::ios::binary);
    if (!in.is_open())
        throw std::runtime_error("Could not open input file: " + input.string());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        throw std::runtime_error("Could not open output file: " + output.string());
    StreamEncryptor encryptor(out, g_dataKey);
    std::vector<unsigned char> chunk(g_dataChunkSize);
    for (;;) {
        in.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad())
            throw std::runtime_error("Could not read input file: " + input.string());
        // the chunk is the last one when nothing follows it
        const bool final = got < chunk.size() || in.peek() == std::ifstream::traits_type::eof();
        encryptor.push(std::span<const unsigned char>(chunk.data(), got), final);
        if (final)
            break;
    }
    out.close();
    if (out.fail())
        throw std::runtime_error("Could not write output file: " + output.string());
}
