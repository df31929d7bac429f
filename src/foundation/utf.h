#pragma once
// UTF-8 <-> UTF-16 at the boundary of the window layer and the known folders.
// Invalid input raises win32::Utf8ConversionException.
#include "platform/utf_codec.h"

#include <string>
#include <string_view>

std::u16string gf_utf8ToUtf16(std::string_view utf8);
std::string gf_utf16ToUtf8(std::u16string_view utf16);
