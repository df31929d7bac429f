#pragma once
// Strict UTF-8 <-> UTF-16 codec in place of the system code-page converters.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace win32 {

inline constexpr std::uint32_t ERROR_NO_UNICODE_TRANSLATION = 1113;

// A failed conversion between UTF-8 and UTF-16.
class Utf8ConversionException : public std::runtime_error {
public:
    enum ConversionType : std::uint32_t { FromUtf8ToUtf16 = 0, FromUtf16ToUtf8 = 1 };

    Utf8ConversionException(const std::string& message, std::uint32_t errorCode, ConversionType type)
        : std::runtime_error(message), m_errorCode(errorCode), m_conversionType(type)
    {
    }
    std::uint32_t errorCode() const noexcept { return m_errorCode; }
    ConversionType conversionType() const noexcept { return m_conversionType; }

private:
    std::uint32_t m_errorCode;
    ConversionType m_conversionType;
};

// Both return 0 on success, else ERROR_NO_UNICODE_TRANSLATION with `out` left empty.
// Refused: overlong forms, surrogate code points in UTF-8, lone surrogates in UTF-16,
// code points above U+10FFFF and truncated sequences.
std::uint32_t utf8ToUtf16(std::string_view in, std::u16string& out);
std::uint32_t utf16ToUtf8(std::u16string_view in, std::string& out);

} // namespace win32
