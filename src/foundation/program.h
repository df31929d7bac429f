#pragma once
// The program's own name, version and support address.
#include "foundation/version.h"

#include <string_view>

inline constexpr std::string_view g_shortDisplayName = "TRWK";
inline constexpr std::string_view g_programVersionText = "11.0.4";
// Where users send what the program asks them to (the airports waiting for off-line learning).
inline constexpr std::string_view g_supportMailAddress = "support@tarnwick.example";

extern const VersionData g_programVersion;
