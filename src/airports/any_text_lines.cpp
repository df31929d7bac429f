#include "airports/any_text_lines.h"

#include "foundation/charset.h"
#include "foundation/text_file.h"

#include <system_error>

bool gf_readAnyTextLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    const Charset charset = gf_detectCharset(path);
    // a file of fewer than two bytes has no charset to detect
    if (charset == Charset::none_found)
        return gf_appendFileLines(path, lines);
    return gf_readTextFileLines(charset, path, lines) != 0;
}
