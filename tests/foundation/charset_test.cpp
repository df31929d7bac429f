#include "foundation/charset.h"

#include "foundation/status_line.h"
#include "foundation/text_file.h"
#include "support/logged_folder.h"

#include "platform/utf_codec.h"

#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using testsupport::writeFile;

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
        writeFile("probe.cfg", bytes);
        return gf_detectCharset("probe.cfg");
    }
    static std::vector<std::string> read(Charset charset, const char* path)
    {
        std::vector<std::string> lines;
        EXPECT_EQ(gf_readTextFileLines(charset, path, lines), 1) << path;
        return lines;
    }
};

TEST_F(CharsetTest, MarksDecideWhateverFollowsThenTheFirst1027BytesDecide)
{
    const std::pair<std::string, Charset> cases[] = {
        {"\xEF\xBB\xBF[fltsim.0]\xFF\xFF", Charset::UTF8_with_BOM},
        {std::string("\xFF\xFE\x00\xD8", 4), Charset::Unicode},
        {"\xFE\xFF", Charset::Unicode_big_endian},
        {"\xEF\xBB", Charset::ANSI}, // two bytes of a mark are not a mark
        {"ab", Charset::UTF8_without_BOM},
        {"title=Airbus A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\n", Charset::UTF8_without_BOM},
        {"title=Caf\xE9\n", Charset::ANSI},        // Latin-1
        {"x\xC3", Charset::ANSI},                  // sequence cut by the end
        {"x\xE2\x82z", Charset::ANSI},             // bad continuation byte
        {"x\xF8\x88\x80\x80\x80", Charset::ANSI},  // five-byte lead
        {std::string(1026, 'a') + "\xC3\xA9 and more", Charset::ANSI}, // byte 1027 starts what the probe cannot finish
        {std::string(1027, 'a') + "\xFF", Charset::UTF8_without_BOM},   // invalid, but beyond the probe
        {"a", Charset::none_found},
        {"", Charset::none_found}};
    for (const auto& [bytes, charset] : cases)
        EXPECT_EQ(detect(bytes), charset) << bytes.substr(0, 20);
    EXPECT_EQ(gf_detectCharset("does-not-exist.cfg"), Charset::none_found);
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("Cannot open file does-not-exist.cfg for character encoding. Win32 error: "));
}

TEST_F(CharsetTest, Utf16FilesReadLikeTheirUtf8TwinsAndAUtf8MarkIsCut)
{
    const std::u16string text = u"[fltsim.0]\r\ntitle=A320 \u00e9t\u00e9 \U0001F600\r\n\r\nui_type=A320\r\nlast";
    const std::string utf8Twin =
        "[fltsim.0]\r\ntitle=A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\r\n\r\nui_type=A320\r\nlast";
    const std::vector<std::string> expected{"[fltsim.0]", "title=A320 \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80", "",
                                            "ui_type=A320", "last"};
    const std::pair<const char*, std::string> files[] = {
        {"twin8.cfg", utf8Twin}, {"le.cfg", utf16(text, false)}, {"be.cfg", utf16(text, true)},
        {"bom.cfg", "\xEF\xBB\xBF" + utf8Twin}};
    for (const auto& [name, bytes] : files) {
        writeFile(name, bytes);
        EXPECT_EQ(read(gf_detectCharset(name), name), expected) << name;
    }
    writeFile("ansi.cfg", "title=Caf\xE9\n"); // ANSI bytes pass unchanged; a line may end in LF alone
    EXPECT_EQ(read(Charset::ANSI, "ansi.cfg"), std::vector<std::string>{"title=Caf\xE9"});
}

TEST_F(CharsetTest, BadUtf16EndsTheTextQuietly)
{
    std::u16string text = u"one\r\ntwo\r\nthr";
    text += char16_t(0xD800); // high surrogate without its partner
    text += u"ee\r\nfour\r\n";
    writeFile("bad.cfg", utf16(text, false));
    std::vector<std::string> lines{"kept"};
    EXPECT_EQ(gf_readTextFileLines(Charset::Unicode, "bad.cfg", lines), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"kept", "one", "two", "thr"}));

    writeFile("odd.cfg", utf16(u"ab", true) + std::string(1, '\0')); // a stray last byte
    EXPECT_EQ(read(Charset::Unicode_big_endian, "odd.cfg"), std::vector<std::string>{"ab"});
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
