#include "foundation/charset.h"

#include "foundation/log.h"
#include "foundation/status_line.h"
#include "foundation/text_file.h"
#include "foundation/utf.h"
#include "platform/file_read.h"

#include <algorithm>
#include <cerrno>
#include <fmt/format.h>
#include <map>

std::string_view gf_charsetName(Charset charset)
{
    static const std::map<Charset, std::string_view> names{
        {Charset::ANSI, "ANSI"},
        {Charset::Unicode, "Unicode"},
        {Charset::Unicode_big_endian, "Unicode_big_endian"},
        {Charset::UTF8_with_BOM, "UTF8_with_BOM"},
        {Charset::UTF8_without_BOM, "UTF8_without_BOM"},
        {Charset::none_found, "none_found"},
    };
    const auto it = names.find(charset);
    if (it == names.end())
        throw std::out_of_range("invalid map<K, T> key");
    return it->second;
}

namespace {

constexpr std::size_t g_probeBytes = 1027;

// One read of the file, the whole of it or the probe's part: false when it cannot be opened
// (logged) or read.
bool lf_readForProbe(const std::filesystem::path& path, std::string& bytes, std::size_t limit,
                     bool quietWhenMissing = false)
{
    const platform::FileRead read = platform::readFile(path, bytes, limit);
    const bool missing = read.error == ENOENT || read.error == ENOTDIR;
    if (!read.opened && !(quietWhenMissing && missing))
        gf_log(fmt::format("Cannot open file {} for character encoding. Win32 error: {}", path.string(), read.error));
    return read.opened && read.error == 0;
}

// The lines of the file's bytes by its charset; the result of gf_readTextFileLines.
int lf_textLines(Charset charset, std::string_view bytes, const std::filesystem::path& path,
                 std::vector<std::string>& lines)
{
    switch (charset) {
    case Charset::Unicode:
    case Charset::Unicode_big_endian: {
        // the byte-order mark decides the byte order, as far as there is one
        bool bigEndian = charset == Charset::Unicode_big_endian;
        if (bytes.size() >= 2) {
            const auto b0 = static_cast<unsigned char>(bytes[0]);
            const auto b1 = static_cast<unsigned char>(bytes[1]);
            if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
                bigEndian = b0 == 0xFE;
                bytes.remove_prefix(2);
            }
        }
        try {
            gf_readUtf16FileLines(bytes, bigEndian, lines);
        } catch (const win32::Utf8ConversionException& e) {
            gf_showStatus(fmt::format("conversion from error from utf16 to utf8, code: {}", e.errorCode()), true);
            return 0;
        } catch (const std::runtime_error& e) {
            gf_showStatus(fmt::format("conversion from error from utf16 to utf8: {}", e.what()), true);
            return 0;
        }
        return 1;
    }
    case Charset::UTF8_with_BOM:
    case Charset::UTF8_without_BOM:
    case Charset::ANSI: {
        const auto first = lines.size();
        gf_appendTextLines(bytes, lines);
        if (charset == Charset::UTF8_with_BOM && lines.size() > first && lines[first].starts_with("\xEF\xBB\xBF"))
            lines[first].erase(0, 3);
        return 1;
    }
    case Charset::none_found:
    default:
        throw std::runtime_error(
            fmt::format("file {} has unknown charset: {}", path.string(), gf_charsetName(charset)));
    }
}

} // namespace

Charset gf_charsetOfBytes(std::string_view bytes)
{
    const auto count = std::min(bytes.size(), g_probeBytes);
    const auto lt_byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (count < 2)
        return Charset::none_found;
    if (count >= 3 && lt_byte(0) == 0xEF && lt_byte(1) == 0xBB && lt_byte(2) == 0xBF)
        return Charset::UTF8_with_BOM;
    if (lt_byte(0) == 0xFF && lt_byte(1) == 0xFE)
        return Charset::Unicode;
    if (lt_byte(0) == 0xFE && lt_byte(1) == 0xFF)
        return Charset::Unicode_big_endian;
    std::size_t i = 0;
    while (i < count) {
        const unsigned char b = lt_byte(i);
        std::size_t len = 0;
        if (b < 0x80)
            len = 1;
        else if ((b & 0xE0) == 0xC0)
            len = 2;
        else if ((b & 0xF0) == 0xE0)
            len = 3;
        else if ((b & 0xF8) == 0xF0)
            len = 4;
        else
            return Charset::ANSI;
        if (i + len > count)
            return Charset::ANSI;
        for (std::size_t k = 1; k < len; ++k) {
            if ((lt_byte(i + k) & 0xC0) != 0x80)
                return Charset::ANSI;
        }
        i += len;
    }
    return Charset::UTF8_without_BOM;
}

Charset gf_detectCharset(const std::filesystem::path& path)
{
    std::string bytes;
    return lf_readForProbe(path, bytes, g_probeBytes) ? gf_charsetOfBytes(bytes) : Charset::none_found;
}

Charset gf_readTextFile(const std::filesystem::path& path, std::vector<std::string>& lines, int& read,
                        bool quietWhenMissing)
{
    read = 0;
    std::string bytes;
    const Charset charset = lf_readForProbe(path, bytes, std::string::npos, quietWhenMissing)
                                ? gf_charsetOfBytes(bytes)
                                : Charset::none_found;
    if (charset != Charset::none_found)
        read = lf_textLines(charset, bytes, path, lines);
    return charset;
}

void gf_readUtf16FileLines(std::string_view bytes, bool bigEndian, std::vector<std::string>& lines)
{
    std::u16string line;
    bool open = false; // a line has been started
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        const auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        return static_cast<char16_t>((hi << 8) | lo);
    };
    auto lt_finishLine = [&] {
        std::string utf8 = gf_utf16ToUtf8(line);
        if (!utf8.empty() && utf8.back() == '\r')
            utf8.pop_back();
        lines.push_back(std::move(utf8));
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 >= units || unitAt(i + 1) < 0xDC00 || unitAt(i + 1) > 0xDFFF)
                break; // unpaired high surrogate: the text ends here
            line.push_back(u);
            line.push_back(unitAt(++i));
            open = true;
            continue;
        }
        if (u >= 0xDC00 && u <= 0xDFFF)
            break; // a low surrogate on its own
        if (u == u'\n') {
            lt_finishLine();
            continue;
        }
        line.push_back(u);
        open = true;
    }
    if (open)
        lt_finishLine();
}

int gf_readTextFileLines(Charset charset, const std::filesystem::path& path, std::vector<std::string>& lines)
{
    if (charset == Charset::none_found)
        return lf_textLines(charset, {}, path, lines); // raises
    std::string bytes;
    if (!platform::readFile(path, bytes).opened)
        return 0;
    return lf_textLines(charset, bytes, path, lines);
}
