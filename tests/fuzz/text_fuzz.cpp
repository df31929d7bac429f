// Text decoding, all of it on every text: a file's charset and its lines (probed and read apart,
// and from one read), UTF-16 lines in either byte order, and the strict UTF-8 <-> UTF-16 codec.
// What comes out of UTF-16 is valid UTF-8, one line each; the codec's round trips give back what
// went in.
#include "fuzz_support.h"

#include "foundation/charset.h"
#include "platform/utf_codec.h"

#include <cstring>
#include <string>
#include <vector>

using fuzzsupport::check;

namespace {

void lf_roundTrips(std::string_view bytes)
{
    std::u16string units;
    if (win32::utf8ToUtf16(bytes, units) == 0) {
        std::string back;
        check(win32::utf16ToUtf8(units, back) == 0 && back == bytes, "codec: UTF-8 comes back unchanged");
    }
    std::u16string input(bytes.size() / 2, u'\0'); // the bytes as units in this machine's order
    std::memcpy(input.data(), bytes.data(), 2 * input.size());
    std::string utf8;
    if (win32::utf16ToUtf8(input, utf8) == 0) {
        std::u16string back;
        check(win32::utf8ToUtf16(utf8, back) == 0 && back == input, "codec: UTF-16 comes back unchanged");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    lf_roundTrips(bytes);
    std::vector<std::string> lines;
    gf_readUtf16FileLines(bytes, false, lines);
    gf_readUtf16FileLines(bytes, true, lines);
    fuzzsupport::writeFile("text.txt", bytes);
    const Charset charset = gf_detectCharset("text.txt");
    std::vector<std::string> fileLines;
    int result = 0;
    if (charset != Charset::none_found)
        result = gf_readTextFileLines(charset, "text.txt", fileLines);
    std::vector<std::string> oneRead; // the scan's way: probe and lines from one read
    int oneReadResult = 0;
    check(gf_readTextFile("text.txt", oneRead, oneReadResult) == charset && oneReadResult == result &&
              oneRead == fileLines,
          "one read: the charset and the lines of the probe and the reading");
    if (charset == Charset::Unicode || charset == Charset::Unicode_big_endian) // 8-bit files pass as they are
        lines.insert(lines.end(), fileLines.begin(), fileLines.end());
    std::u16string units;
    for (const std::string& line : lines)
        check(win32::utf8ToUtf16(line, units) == 0 && line.find('\n') == std::string::npos,
              "UTF-16 lines: valid UTF-8, one line each");
    return 0;
}
