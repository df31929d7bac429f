#include "feed/service_address.h"

#include "foundation/paths.h"
#include "foundation/text_utils.h"
#include "foundation/user_error.h"

#include <cstdlib>
#include <fmt/format.h>
#include <fstream>

std::string gf_rtBaseUrl()
{
    const char* value = std::getenv(std::string(g_rtBaseUrlVariable).c_str());
    std::string url = (value != nullptr && *value != '\0') ? std::string(value) : std::string(g_defaultRtBaseUrl);
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

std::filesystem::path gf_licensePath() { return g_dataFolder / g_licenseFileName; }

std::string gf_readAccessKey()
{
    const std::filesystem::path path = gf_licensePath();
    std::string line;
    {
        std::ifstream file(path, std::ios::binary);
        if (file)
            std::getline(file, line);
    }
    if (line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    std::string key = gf_trim(line);
    if (key.empty()) {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec);
        throw brv::UserErrorException(
            g_licenseErrorCode,
            fmt::format("No RealTraffic access key found, put your license key on the first line of {}",
                        gf_pathToUtf8(ec ? path : full)));
    }
    return key;
}

std::string gf_formEncode(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += ch;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}
