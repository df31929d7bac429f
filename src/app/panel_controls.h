#pragma once
// The controls of the options panel: what each one is, where it sits, and the handlers that the
// window's WM_COMMAND reaches.
#include "foundation/options.h"

#include <span>

enum class ControlKind { checkBox, pushButton, editBox, comboBox };

// One control; its id and row are its option's. A drop-down list's height is that of its open list.
struct PanelControl {
    ControlKind kind = ControlKind::checkBox;
    UiControl* control = nullptr;
    int x = 0;
    int width = 12;
    int height = 12;
    WNDPROC procedure = nullptr; // an edit box's own
};

// Every control, in the order of creation.
std::span<const PanelControl> gf_panelControls();
// The top edge of a control: check boxes sit 2 below their row, drop-down lists 5 above it.
int gf_controlTop(const PanelControl& c);
// The option of the check box with this id; nullptr for any other id.
UiBoolParameter* gf_checkBoxOption(int id);

// A selection in one of the drop-down lists; true when it was handled.
bool gf_handleComboBox(HWND window, WPARAM wParam);
