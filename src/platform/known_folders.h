#pragma once
// Known folders of the user: the roaming and the local application-data folders.
// Here they are the XDG configuration and data folders.
#include <optional>
#include <string>

namespace platform {

inline constexpr int CSIDL_APPDATA = 26;       // roaming: $XDG_CONFIG_HOME, else ~/.config
inline constexpr int CSIDL_LOCAL_APPDATA = 28; // local: $XDG_DATA_HOME, else ~/.local/share

// The folder as UTF-16 text, or nothing when it cannot be determined (no usable environment,
// or an unknown id).
std::optional<std::u16string> knownFolder(int csidl);

} // namespace platform
