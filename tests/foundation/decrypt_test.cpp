#include "foundation/decrypt.h"

#include "foundation/data_key.h"
#include "foundation/log.h"
#include "stream_encrypt.h"
#include "support/logged_folder.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t g_header = 24;
constexpr std::size_t g_overhead = 17;

using testsupport::readFile;
using testsupport::writeFile;

std::string lf_randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 engine(seed);
    std::string bytes(size, '\0');
    for (auto& b : bytes)
        b = static_cast<char>(engine() & 0xFF);
    return bytes;
}

std::span<const unsigned char> lf_bytes(const std::string& text)
{
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

class DecryptTest : public ::testing::Test {
protected:
    // Encrypts `plain` with the encryptor of the tools and returns the encrypted bytes.
    std::string encrypt(const std::string& plain)
    {
        writeFile("plain.bin", plain);
        gf_streamEncrypt("plain.bin", "data.enc");
        return readFile("data.enc");
    }

    testsupport::LoggedFolder folder;
};

TEST_F(DecryptTest, PlaintextsRoundTripThroughTheEncryptorWithTheFileLayout)
{
    writeFile("plain.out", std::string(10000, 'x')); // an existing output is replaced whole
    for (const std::size_t size : {0u, 1u, 4096u, 4097u, 8192u}) {
        SCOPED_TRACE(size);
        const std::string plain = lf_randomBytes(size, static_cast<unsigned>(size) + 7);
        const std::string encrypted = encrypt(plain);
        const std::size_t chunks = size == 0 ? 1 : (size + g_dataChunkSize - 1) / g_dataChunkSize;
        EXPECT_EQ(encrypted.size(), g_header + chunks * g_overhead + size);

        ASSERT_TRUE(gf_streamDecrypt("data.enc", "plain.out"));
        EXPECT_EQ(readFile("plain.out"), plain);
    }
}

TEST_F(DecryptTest, OneFlippedByteAnywhereFailsAndLeavesNoOutput)
{
    const std::string plain = lf_randomBytes(2 * g_dataChunkSize + 100, 3);
    const std::string encrypted = encrypt(plain);
    const std::size_t chunk = g_dataChunkSize + g_overhead;
    // in the header, and at the start, middle and end of each of the three chunks
    std::vector<std::size_t> positions{0, g_header - 1};
    for (std::size_t c = 0; c < 3; ++c) {
        const std::size_t begin = g_header + c * chunk;
        const std::size_t end = std::min(begin + chunk, encrypted.size());
        positions.insert(positions.end(), {begin, (begin + end) / 2, end - 1});
    }
    for (const auto position : positions) {
        SCOPED_TRACE(position);
        std::string damaged = encrypted;
        damaged[position] = static_cast<char>(damaged[position] ^ 0x01);
        writeFile("damaged.enc", damaged);
        EXPECT_FALSE(gf_streamDecrypt("damaged.enc", "plain.out"));
        EXPECT_FALSE(fs::exists("plain.out"));
    }
    EXPECT_TRUE(folder.logHas("gf_streamDecrypt exception: Decryption failed"));
}

TEST_F(DecryptTest, MissingInputOrAnOutputThatCannotBeOpenedFails)
{
    EXPECT_FALSE(gf_streamDecrypt("missing.enc", "plain.out"));
    EXPECT_FALSE(fs::exists("plain.out"));
    encrypt("abc");
    EXPECT_FALSE(gf_streamDecrypt("data.enc", fs::path("no_such_folder") / "plain.out"));
    EXPECT_TRUE(folder.logHas("gf_streamDecrypt exception: Could not open input file: missing.enc"));
    EXPECT_TRUE(folder.logHas("gf_streamDecrypt exception: Could not open output file: no_such_folder/plain.out"));
}

// A download cut short must never pass for the whole file.
TEST_F(DecryptTest, StreamsWithoutTheirFinalChunkFail)
{
    const std::string encrypted = encrypt(lf_randomBytes(2 * g_dataChunkSize, 11));
    const std::size_t chunk = g_dataChunkSize + g_overhead;
    const std::vector<std::pair<std::string, std::size_t>> cuts{
        {"empty file", 0}, {"short header", 10}, {"header only", g_header},
        {"after the first full chunk", g_header + chunk}, {"inside the final chunk", g_header + chunk + 100}};
    for (const auto& [what, length] : cuts) {
        SCOPED_TRACE(what);
        writeFile("cut.enc", encrypted.substr(0, length));
        EXPECT_FALSE(gf_streamDecrypt("cut.enc", "plain.out"));
        EXPECT_FALSE(fs::exists("plain.out"));
    }
    EXPECT_TRUE(folder.logHas("gf_streamDecrypt exception: Invalid header or key"));
    EXPECT_TRUE(folder.logHas("gf_streamDecrypt exception: Stream ended before its final chunk"));
}

TEST_F(DecryptTest, NothingAfterTheFinalChunkIsReadAndAnotherKeyFails)
{
    const std::string first(g_dataChunkSize, 'a');
    const std::string second = "never read";
    for (const bool otherKey : {true, false}) {
        auto key = g_dataKey;
        key[5] ^= otherKey ? 0x40 : 0;
        std::ostringstream out;
        StreamEncryptor encryptor(out, key);
        encryptor.push(lf_bytes(first), true);
        encryptor.push(lf_bytes(second), false);
        writeFile("extra.enc", out.str() + "trailing bytes");
        EXPECT_EQ(gf_streamDecrypt("extra.enc", "plain.out"), !otherKey);
        EXPECT_EQ(fs::exists("plain.out") ? readFile("plain.out") : "<none>", otherKey ? "<none>" : first);
    }
}

TEST_F(DecryptTest, EncryptedBytesDoNotShowThePlaintext)
{
    const std::string plain = "<aircrafts><aircraft types=\"A320,B738\"/></aircrafts>";
    const std::string encrypted = encrypt(plain);
    EXPECT_EQ(encrypted.find("aircraft"), std::string::npos);
    // two encryptions of one plaintext differ (a fresh stream header each time)
    EXPECT_NE(encrypt(plain), encrypted);
}

TEST_F(DecryptTest, ThePlainCopyIsReadThenGoneHoweverTheReadingEnds)
{
    encrypt("<plain/>");
    for (const bool throws : {false, true}) {
        std::string seen;
        const auto lt_read = [&] {
            seen = readFile("plain.xml");
            if (throws)
                throw std::runtime_error("reader failed");
        };
        if (throws)
            EXPECT_THROW(gf_readDecrypted("data.enc", "plain.xml", lt_read), std::runtime_error);
        else
            EXPECT_TRUE(gf_readDecrypted("data.enc", "plain.xml", lt_read));
        EXPECT_EQ(seen, "<plain/>");
        EXPECT_FALSE(fs::exists("plain.xml")) << throws;
    }
    writeFile("data.enc", "damaged");
    EXPECT_FALSE(gf_readDecrypted("data.enc", "plain.xml", [] { ADD_FAILURE() << "read without a plain copy"; }));
}

TEST_F(DecryptTest, RemoveFileRemovesIgnoresMissingFilesAndLogsAFailure)
{
    writeFile("gone.xml", "x");
    gf_removeFile("gone.xml");
    EXPECT_FALSE(fs::exists("gone.xml"));
    gf_removeFile("never_there.xml");
    fs::create_directories(fs::path("busy") / "inside");
    gf_removeFile("busy");
    EXPECT_TRUE(fs::exists("busy"));
    const auto lines = folder.logLines(); // nothing for the missing file
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("===> Warning: could not remove busy, errorcode: ")) << lines[0];
}

} // namespace
