#include "foundation/charset.h"

#include "foundation/log.h"
#include "foundation/status_line.h"
#include "foundation/text_file.h"
#include "foundation/utf.h"

#include <cerrno>
#include <fmt/format.h>
#include <fstream>
#include <iterator>
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

Charset gf_detectCharset(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        gf_log(fmt::format("Cannot open file {} for character encoding. Win32 error: {}", path.string(), errno));
        return Charset::none_found;
    }
    unsigned char buffer[1027] = {};
    file.read(reinterpret_cast<char*>(buffer), sizeof buffer);
    const auto count = static_cast<std::size_t>(file.gcount());
    if (file.bad() || count < 2)
        return Charset::none_found;
    if (count >= 3 && buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF)
        return Charset::UTF8_with_BOM;
    if (buffer[0] == 0xFF && buffer[1] == 0xFE)
        return Charset::Unicode;
    if (buffer[0] == 0xFE && buffer[1] == 0xFF)
        return Charset::Unicode_big_endian;
    std::size_t i = 0;
    while (i < count) {
        const unsigned char b = buffer[i];
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
            if ((buffer[i + k] & 0xC0) != 0x80)
                return Charset::ANSI;
        }
        i += len;
    }
    return Charset::UTF8_without_BOM;
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
    switch (charset) {
    case Charset::Unicode:
    case Charset::Unicode_big_endian: {
        std::ifstream file(path, std::ios::binary);
        if (!file.is_open())
            return 0;
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        // the byte-order mark decides the byte order, as far as there is one
        bool bigEndian = charset == Charset::Unicode_big_endian;
        std::string_view body = bytes;
        if (body.size() >= 2) {
            const auto b0 = static_cast<unsigned char>(body[0]);
            const auto b1 = static_cast<unsigned char>(body[1]);
            if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
                bigEndian = b0 == 0xFE;
                body.remove_prefix(2);
            }
        }
        try {
            gf_readUtf16FileLines(body, bigEndian, lines);
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
        if (!gf_appendFileLines(path, lines))
            return 0;
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
