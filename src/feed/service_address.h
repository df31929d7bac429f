#pragma once
// Where the live-traffic service is and what the login sends it.
#include <filesystem>
#include <string>
#include <string_view>

// the service's public address; TRWK_RT_BASE_URL names another (the local feed server)
inline constexpr std::string_view g_defaultRtBaseUrl = "https://rtwa.flyrealtraffic.com";
inline constexpr std::string_view g_rtBaseUrlVariable = "TRWK_RT_BASE_URL";
inline constexpr std::string_view g_licenseFileName = "rt_license.txt";
inline constexpr int g_licenseErrorCode = 170;

// The compiled-in base address, or TRWK_RT_BASE_URL when it is set and not empty; no
// trailing slash.
std::string gf_rtBaseUrl();

// rt_license.txt in the per-user data folder.
std::filesystem::path gf_licensePath();
// The access key: the first line of rt_license.txt, trimmed. A missing file or an empty key
// raises brv::UserErrorException with the file's full path.
std::string gf_readAccessKey();

// application/x-www-form-urlencoded: letters, digits and "-._~" kept, blank as '+', the rest %XX.
std::string gf_formEncode(std::string_view text);
