// The string table, icons and cursors of the program.
#include "w32/core.h"

#include <algorithm>

using namespace w32::detail;

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0)
        return 0;
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    const auto it = core.strings.find(id);
    if (it == core.strings.end()) {
        buffer[0] = 0;
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(it->second.size(), static_cast<std::size_t>(maxCount) - 1);
    std::copy_n(it->second.begin(), n, buffer);
    buffer[n] = 0;
    return static_cast<int>(n);
}

// Icons and cursors are not shown by either back-end; a handle stands for them.
HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    return name == nullptr ? nullptr : reinterpret_cast<HICON>(static_cast<UINT_PTR>(0x7FFF0010));
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name)
{
    return name == nullptr ? nullptr : reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(0x7FFF0020));
}
