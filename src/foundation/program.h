#pragma once
// The program's own name and version.
#include "foundation/version.h"

#include <string_view>

inline constexpr std::string_view g_shortDisplayName = "TRWK";
inline constexpr std::string_view g_programVersionText = "11.0.4";

extern const VersionData g_programVersion;
