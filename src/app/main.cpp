// The process entry on Linux: the window layer's back-end (a real window when a display can be
// opened, headless otherwise), the program's resources and hooks, then wWinMain.
#include "app/app_hooks.h"
#include "app/main_window.h"
#include "foundation/paths.h"

#include <cstdio>
#include <exception>
#include <fmt/format.h>

int main()
{
    try {
        gf_initDataPaths();
        w32::useFltkBackend();
        gf_setProgramResources();
        gf_installAppHooks();
        return wWinMain(nullptr, nullptr, nullptr, SW_SHOW);
    } catch (const std::exception& e) {
        fmt::print(stderr, "{}\n", e.what());
        return 1;
    }
}
