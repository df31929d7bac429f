#pragma once
// Text between UTF-16 and UTF-8 for showing it: broken units become U+FFFD instead of failing.
#include <string>
#include <string_view>

namespace w32::detail {

std::string gf_toUtf8(std::u16string_view text);
std::u16string gf_toUtf16(std::string_view text);

} // namespace w32::detail
