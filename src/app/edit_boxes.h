#pragma once
// Enter in an edit box of the options panel: the typed value is taken (the box's window
// procedure has cleared the status line and catches what these raise).
#include "foundation/options.h"

void gf_intBoxEntered(UiIntParameter& option);
void gf_floatBoxEntered(UiFloatParameter& option);
void gf_textBoxEntered(UiStringParameter& option);
