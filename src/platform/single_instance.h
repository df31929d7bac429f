#pragma once
// Single-instance guard: an exclusive lock on a file named after the mutex name, in
// $XDG_RUNTIME_DIR (else /tmp). The lock ends with the process or with release.
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The lock file used for a mutex name ("Local\$Tarnwick$" -> "Local_$Tarnwick$.lock").
std::filesystem::path singleInstanceLockPath(std::string_view mutexName);

// A descriptor (>= 0) when this is the first instance; -1, silently, when another holds it; -2
// when the lock file cannot be opened or locked for another reason, which `failure` then names.
int acquireSingleInstance(std::string_view mutexName, std::string* failure = nullptr);
void releaseSingleInstance(int handle);

} // namespace platform
