#include "form.h"

namespace feedserver {

namespace {

int lf_hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string lf_decode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && lf_hexDigit(text[i + 1]) >= 0 && lf_hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(lf_hexDigit(text[i + 1]) * 16 + lf_hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::map<std::string, std::string> gf_decodeForm(std::string_view body)
{
    std::map<std::string, std::string> fields;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
        if (pair.empty())
            continue;
        const std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos)
            fields[lf_decode(pair)] = std::string();
        else
            fields[lf_decode(pair.substr(0, eq))] = lf_decode(pair.substr(eq + 1));
    }
    return fields;
}

} // namespace feedserver
