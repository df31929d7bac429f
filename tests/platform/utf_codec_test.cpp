#include "platform/utf_codec.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t toUtf16(std::string_view in, std::u16string& out) { return win32::utf8ToUtf16(in, out); }

TEST(UtfCodec, RoundTripsEveryLengthOfSequenceUpToTheLimitsOfTheRange)
{
    // 1, 2, 3 and 4 byte sequences, the last one a surrogate pair in UTF-16; then U+FFFF and U+10FFFF
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z\xEF\xBF\xBF\xF4\x8F\xBF\xBF";
    std::u16string wide;
    ASSERT_EQ(toUtf16(text, wide), 0u);
    EXPECT_EQ(wide, (std::u16string{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00, u'z', 0xFFFF, 0xDBFF, 0xDFFF}));
    std::string back;
    ASSERT_EQ(win32::utf16ToUtf8(wide, back), 0u);
    EXPECT_EQ(back, text);
}

TEST(UtfCodec, RefusesInvalidUtf8)
{
    const char* bad[] = {
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong, three bytes
        "\xF0\x80\x80\xAF", // overlong, four bytes
        "\xED\xA0\x80",     // a surrogate code point
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xE2\x82",         // truncated
        "\x80",             // continuation byte without a lead
        "ab\xFF",           // never valid
    };
    for (const char* s : bad) {
        std::u16string out = u"left over";
        EXPECT_EQ(toUtf16(s, out), win32::ERROR_NO_UNICODE_TRANSLATION) << s;
        EXPECT_TRUE(out.empty());
    }
}

TEST(UtfCodec, RefusesLoneSurrogatesInUtf16)
{
    const std::u16string bad[] = {
        {0xD800},        // high surrogate at the end
        {0xD800, u'a'},  // high surrogate without its low one
        {0xDC00, u'a'},  // low surrogate first
        {u'a', 0xDFFF},
    };
    for (const auto& s : bad) {
        std::string out = "left over";
        EXPECT_EQ(win32::utf16ToUtf8(s, out), win32::ERROR_NO_UNICODE_TRANSLATION);
        EXPECT_TRUE(out.empty());
    }
}

} // namespace
