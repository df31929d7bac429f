#include "foundation/charset.h"

#include "foundation/status_line.h"
#include "foundation/text_file.h"
#include "support/logged_folder.h"

#include "platform/utf_codec.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& p, const std::string& bytes)
{
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

std::string utf16(const std::u16string& text, bool bigEndian, bool withMark = true)
{
    std::string out;
    if (withMark)
        out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8);
        const char lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

class CharsetTest : public ::testing::Test {
protected:
    testsupport::LoggedFolder folder;
    Charset detect(const std::string& bytes)
    {
        writeBytes("probe.cfg", bytes);
        return gf_detectCharset("probe.cfg");
    }
};

TEST_F(CharsetTest, ByteOrderMarksDecideWhateverFollows)
{
    EXPECT_EQ(detect("\xEF\xBB\xBF[fltsim.0]\xFF\xFF"), Charset::UTF8_with_BOM);
    EXPECT_EQ(detect("\xFF\xFE\x00\xD8"), Charset::Unicode);
    EXPECT_EQ(detect("\xFE\xFF"), Charset::Unicode_big_endian);
    EXPECT_EQ(detect("\xEF\xBB"), Charset::ANSI); // two bytes of a mark are not a mark
}

TEST_F(CharsetTest, WithoutMarkTheBytesDecide)
{
    EXPECT_EQ(detect("ab"), Charset::UTF8_without_BOM);
    EXPECT_EQ(detect("title=Airbus A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\n"), Charset::UTF8_without_BOM);
    EXPECT_EQ(detect("title=Caf\xE9\n"), Charset::ANSI);   // Latin-1
    EXPECT_EQ(detect("x\xC3"), Charset::ANSI);             // sequence cut by the end
    EXPECT_EQ(detect("x\xE2\x82z"), Charset::ANSI);        // bad continuation byte
    EXPECT_EQ(detect("x\xF8\x88\x80\x80\x80"), Charset::ANSI); // five-byte lead
}

TEST_F(CharsetTest, TooShortMissingOrEmptyIsNoneFound)
{
    EXPECT_EQ(detect("a"), Charset::none_found);
    EXPECT_EQ(detect(""), Charset::none_found);
    EXPECT_EQ(gf_detectCharset("does-not-exist.cfg"), Charset::none_found);
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("Cannot open file does-not-exist.cfg for character encoding. Win32 error: "));
}

TEST_F(CharsetTest, OnlyTheFirst1027BytesAreLookedAt)
{
    std::string text(1026, 'a');
    text += "\xC3\xA9 and more text";
    EXPECT_EQ(detect(text), Charset::ANSI); // byte 1027 starts a character the probe cannot finish
    std::string later(1027, 'a');
    later += "\xFF"; // invalid, but beyond the probe
    EXPECT_EQ(detect(later), Charset::UTF8_without_BOM);
}

TEST_F(CharsetTest, Utf16FilesReadLikeTheirUtf8Twins)
{
    const std::u16string text = u"[fltsim.0]\r\ntitle=A320 \u00e9t\u00e9 \U0001F600\r\n\r\nui_type=A320\r\nlast";
    const std::string utf8Twin = "[fltsim.0]\r\ntitle=A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\r\n\r\nui_type=A320\r\nlast";
    writeBytes("twin8.cfg", utf8Twin);
    writeBytes("le.cfg", utf16(text, false));
    writeBytes("be.cfg", utf16(text, true));

    std::vector<std::string> fromUtf8, fromLe, fromBe;
    ASSERT_EQ(gf_readTextFileLines(gf_detectCharset("twin8.cfg"), "twin8.cfg", fromUtf8), 1);
    ASSERT_EQ(gf_detectCharset("le.cfg"), Charset::Unicode);
    ASSERT_EQ(gf_readTextFileLines(Charset::Unicode, "le.cfg", fromLe), 1);
    ASSERT_EQ(gf_detectCharset("be.cfg"), Charset::Unicode_big_endian);
    ASSERT_EQ(gf_readTextFileLines(Charset::Unicode_big_endian, "be.cfg", fromBe), 1);

    const std::vector<std::string> expected{"[fltsim.0]", "title=A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", "",
                                            "ui_type=A320", "last"};
    EXPECT_EQ(fromUtf8, expected);
    EXPECT_EQ(fromLe, expected);
    EXPECT_EQ(fromBe, expected);
}

TEST_F(CharsetTest, BadUtf16EndsTheTextQuietly)
{
    std::u16string text = u"one\r\ntwo\r\nthr";
    text += char16_t(0xD800); // high surrogate without its partner
    text += u"ee\r\nfour\r\n";
    writeBytes("bad.cfg", utf16(text, false));
    std::vector<std::string> lines{"kept"};
    EXPECT_EQ(gf_readTextFileLines(Charset::Unicode, "bad.cfg", lines), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"kept", "one", "two", "thr"}));

    writeBytes("odd.cfg", utf16(u"ab", true) + std::string(1, '\0')); // a stray last byte
    lines.clear();
    EXPECT_EQ(gf_readTextFileLines(Charset::Unicode_big_endian, "odd.cfg", lines), 1);
    EXPECT_EQ(lines, std::vector<std::string>{"ab"});
}

TEST_F(CharsetTest, Utf8MarkIsCutAndAnsiBytesPassUnchanged)
{
    writeBytes("bom.cfg", "\xEF\xBB\xBFtitle=x\r\nsecond\n");
    std::vector<std::string> lines;
    ASSERT_EQ(gf_readTextFileLines(Charset::UTF8_with_BOM, "bom.cfg", lines), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"title=x", "second"}));

    writeBytes("ansi.cfg", "title=Caf\xE9\r\n");
    lines.clear();
    ASSERT_EQ(gf_readTextFileLines(Charset::ANSI, "ansi.cfg", lines), 1);
    EXPECT_EQ(lines, std::vector<std::string>{"title=Caf\xE9"});
}

TEST_F(CharsetTest, UnreadableCharsetsAndFiles)
{
    std::vector<std::string> lines;
    try {
        gf_readTextFileLines(Charset::none_found, "x.cfg", lines);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "file x.cfg has unknown charset: none_found");
    }
    EXPECT_EQ(gf_readTextFileLines(Charset::UTF8_without_BOM, "missing.cfg", lines), 0);
    EXPECT_EQ(gf_readTextFileLines(Charset::Unicode, "missing.cfg", lines), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_THROW(gf_charsetName(static_cast<Charset>(6)), std::out_of_range);
    EXPECT_EQ(gf_charsetName(Charset::Unicode_big_endian), "Unicode_big_endian");
}

TEST_F(CharsetTest, PlainReaderAndWriter)
{
    ASSERT_TRUE(gf_writeTextFile("a\r\nb", "plain.txt", true));
    TextFileReader reader{"plain.txt", {}};
    EXPECT_EQ(reader.readLines(32), (std::vector<std::string>{"a", "b"}));
    reader.path = "gone.txt";
    EXPECT_TRUE(reader.readLines(4).empty());
    EXPECT_FALSE(gf_writeTextFile("x", fs::path("no-folder") / "f.txt", false));
    EXPECT_FALSE(gf_writeTextFile("x", "/dev/full", false)) << "a full disk";
}

} // namespace
