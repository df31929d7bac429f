#include "platform/module_path.h"

#include <system_error>

namespace platform {

std::filesystem::path modulePath()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path{} : p;
}

} // namespace platform
