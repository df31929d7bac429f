#pragma once
// Single-instance guard: an exclusive lock on a file named after the mutex name, in
// $XDG_RUNTIME_DIR (else /tmp). The lock ends with the process or with release.
#include <filesystem>
#include <string_view>

namespace platform {

// The lock file used for a mutex name ("Local\$Tarnwick$" -> "Local_$Tarnwick$.lock").
std::filesystem::path singleInstanceLockPath(std::string_view mutexName);

// A descriptor (>= 0) when this is the first instance; -1, silently, when another holds it.
int acquireSingleInstance(std::string_view mutexName);
void releaseSingleInstance(int handle);

} // namespace platform
