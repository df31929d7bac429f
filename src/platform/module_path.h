#pragma once
#include <filesystem>

namespace platform {

// The full path of the running executable; empty when it cannot be read.
std::filesystem::path modulePath();

} // namespace platform
