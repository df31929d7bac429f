#include "app/window_commands.h"

#include "app/main_window_state.h"
#include "foundation/log.h"

#include <fmt/format.h>
#include <stdexcept>

namespace {

// The commands of the options panel; none is routed yet.
bool lf_HandleWMCOMMAND(HWND /*window*/, WPARAM /*wParam*/) { return false; }

} // namespace

void gf_createControls(HWND /*window*/, const CREATESTRUCTW* /*create*/)
{
    // the options panel's controls are created here
    gf_repaint(WindowArea::optionsPanel);
}

bool gf_handleCommand(HWND window, WPARAM wParam)
{
    try {
        return lf_HandleWMCOMMAND(window, wParam);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{} exception {}", "lf_HandleWMCOMMAND", e.what()));
        gf_repaint(WindowArea::optionsPanel);
        return false;
    }
}
