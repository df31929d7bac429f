#include "foundation/decrypt.h"

#include "foundation/data_key.h"
#include "foundation/log.h"

#include <array>
#include <fmt/format.h>
#include <fstream>
#include <sodium.h>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

constexpr std::size_t g_headerSize = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr std::size_t g_cipherChunkSize = g_dataChunkSize + crypto_secretstream_xchacha20poly1305_ABYTES;
static_assert(g_headerSize == 24 && g_cipherChunkSize == 4113);
static_assert(g_dataKeySize == crypto_secretstream_xchacha20poly1305_KEYBYTES);

void lf_decrypt(const std::filesystem::path& input, const std::filesystem::path& output)
{
    if (sodium_init() < 0)
        throw std::runtime_error("sodium_init failed");
    std::array<unsigned char, g_dataKeySize> key = g_dataKey;

    std::ifstream in(input, std::ios::binary);
    if (!in.is_open())
        throw std::runtime_error("Could not open input file: " + input.string());
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        throw std::runtime_error("Could not open output file: " + output.string());

    std::array<unsigned char, g_headerSize> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    crypto_secretstream_xchacha20poly1305_state state;
    if (static_cast<std::size_t>(in.gcount()) != header.size() ||
        crypto_secretstream_xchacha20poly1305_init_pull(&state, header.data(), key.data()) != 0)
        throw std::runtime_error("Invalid header or key");

    std::vector<unsigned char> cipher(g_cipherChunkSize, 0);
    std::vector<unsigned char> plain(g_dataChunkSize, 0);
    bool finalSeen = false;
    in.read(reinterpret_cast<char*>(cipher.data()), static_cast<std::streamsize>(cipher.size()));
    auto got = static_cast<unsigned long long>(in.gcount());
    while (got > 0) {
        unsigned long long plainLength = 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(&state, plain.data(), &plainLength, &tag, cipher.data(), got,
                                                       nullptr, 0) != 0)
            throw std::runtime_error("Decryption failed");
        out.write(reinterpret_cast<const char*>(plain.data()), static_cast<std::streamsize>(plainLength));
        if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
            finalSeen = true;
            break;
        }
        in.read(reinterpret_cast<char*>(cipher.data()), static_cast<std::streamsize>(cipher.size()));
        got = static_cast<unsigned long long>(in.gcount());
    }
    // a stream cut short (a truncated download, a header with nothing after it) is no whole file
    if (!finalSeen)
        throw std::runtime_error("Stream ended before its final chunk");
    out.close();
    if (out.fail())
        throw std::runtime_error("Could not write output file: " + output.string());
}

} // namespace

bool gf_streamDecrypt(const std::filesystem::path& input, const std::filesystem::path& output)
{
    try {
        lf_decrypt(input, output);
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "gf_streamDecrypt", e.what()));
        gf_removeFile(output);
        return false;
    }
}

void gf_removeFile(const std::filesystem::path& path)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
        return;
    std::filesystem::remove(path, ec);
    if (ec)
        gf_logError(fmt::format("Warning: could not remove {}, errorcode: {}", path.string(), ec.message()));
}

bool gf_readDecrypted(const std::filesystem::path& input, const std::filesystem::path& plain,
                      const std::function<void()>& read)
{
    if (!gf_streamDecrypt(input, plain))
        return false;
    struct Remover {
        const std::filesystem::path& path;
        ~Remover() { gf_removeFile(path); }
    } remover{plain};
    read();
    return true;
}
