#include "foundation/utf.h"

#include <climits>
#include <stdexcept>

std::u16string gf_utf8ToUtf16(std::string_view utf8)
{
    std::u16string result;
    if (utf8.empty())
        return result;
    if (utf8.size() > static_cast<std::size_t>(INT_MAX))
        throw std::overflow_error("Input string too long: size_t-length doesn't fit into int.");
    const auto code = win32::utf8ToUtf16(utf8, result);
    if (code == win32::ERROR_NO_UNICODE_TRANSLATION)
        throw win32::Utf8ConversionException("Invalid UTF-8 sequence found in input string.", code,
                                             win32::Utf8ConversionException::FromUtf8ToUtf16);
    if (code != 0)
        throw win32::Utf8ConversionException("Cannot convert from UTF-8 to UTF-16 (MultiByteToWideChar failed).", code,
                                             win32::Utf8ConversionException::FromUtf8ToUtf16);
    return result;
}

std::string gf_utf16ToUtf8(std::u16string_view utf16)
{
    std::string result;
    if (utf16.empty())
        return result;
    if (utf16.size() > static_cast<std::size_t>(INT_MAX))
        throw std::overflow_error("Input string too long: size_t-length doesn't fit into int.");
    const auto code = win32::utf16ToUtf8(utf16, result);
    if (code == win32::ERROR_NO_UNICODE_TRANSLATION)
        throw win32::Utf8ConversionException("Invalid UTF-16 sequence found in input string.", code,
                                             win32::Utf8ConversionException::FromUtf16ToUtf8);
    if (code != 0)
        throw win32::Utf8ConversionException("Cannot convert from UTF-16 to UTF-8 (WideCharToMultiByte failed).", code,
                                             win32::Utf8ConversionException::FromUtf16ToUtf8);
    return result;
}
