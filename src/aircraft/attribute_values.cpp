#include "aircraft/attribute_values.h"

#include "foundation/text_utils.h"

bool gf_isTrueText(std::string_view text)
{
    if (text.empty())
        return false;
    const char c = text.front();
    return c == '1' || c == 't' || c == 'T' || c == 'y' || c == 'Y';
}

std::vector<std::string> gf_splitAndTrim(std::string_view text) { return gf_split(text, ','); }
