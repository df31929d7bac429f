#pragma once
// Enter in an edit box of the options panel: the typed value is taken (the box's window
// procedure has cleared the status line and catches what these raise).
#include "foundation/options.h"

#include <cstdint>
#include <string>

void gf_intBoxEntered(UiIntParameter& option);
void gf_floatBoxEntered(UiFloatParameter& option);
void gf_textBoxEntered(UiStringParameter& option);

// The text of the control with this id under the main window, as UTF-8; empty (and logged) when
// there is no such control or its text cannot be converted.
std::string gf_getTextFromId(std::uint16_t controlId);
