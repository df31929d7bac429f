#pragma once
// Showing option values in their controls of the options panel. Every call is safe from any
// thread; a control that does not exist yet is skipped.
#include "foundation/options.h"

#include <atomic>
#include <cstdint>

// The main window: controls are looked up by id under it. The window procedure stores its handle.
extern std::atomic<HWND> g_parentWindow;

// The value as text in the control found by its id under the main window, then the options
// panel repainted; "GetDlgItem failed for ID {}" when there is no such control.
void gf_showIntParameter(const UiIntParameter& option);
void gf_showFloatParameter(const UiFloatParameter& option);
void gf_showStringParameter(const UiStringParameter& option);
// Checks or unchecks the option's check box (BM_SETCHECK).
void gf_showCheckBox(const UiBoolParameter& option);
// Empties the text of a control found by its id under the main window.
void gf_clearTextBox(std::uint16_t controlId);
// Selects the option's value in its combo box when the value is one of the allowed ones.
void gf_selectChoice(const IntChoiceParameter& option);
