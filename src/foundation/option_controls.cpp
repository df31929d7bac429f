#include "foundation/option_controls.h"

#include "foundation/log.h"
#include "foundation/text_utils.h"
#include "foundation/utf.h"

#include <algorithm>
#include <fmt/format.h>
#include <string>

std::atomic<HWND> g_parentWindow{nullptr};

namespace {

constexpr RECT g_optionsPanelRect{0, 112, 880, 392};

HWND lf_findControl(std::uint16_t controlId)
{
    const HWND parent = g_parentWindow.load();
    const HWND control = parent != nullptr ? GetDlgItem(parent, controlId) : nullptr;
    if (control == nullptr)
        gf_log(fmt::format("GetDlgItem failed for ID {}", controlId));
    return control;
}

void lf_showText(std::uint16_t controlId, const std::string& text)
{
    const HWND control = lf_findControl(controlId);
    if (control == nullptr)
        return;
    try {
        SetWindowTextW(control, gf_utf8ToUtf16(text).c_str());
    } catch (const win32::Utf8ConversionException& e) {
        gf_log(e.what());
        return;
    }
    InvalidateRect(g_parentWindow.load(), &g_optionsPanelRect, TRUE);
}

LPARAM lf_textParam(const std::u16string& text) { return reinterpret_cast<LPARAM>(text.c_str()); }

} // namespace

void gf_showIntParameter(const UiIntParameter& option)
{
    lf_showText(option.controlId, std::to_string(option.value.load()));
}

void gf_showFloatParameter(const UiFloatParameter& option)
{
    lf_showText(option.controlId, gf_float2string(option.value.load()));
}

void gf_showStringParameter(const UiStringParameter& option) { lf_showText(option.controlId, option.value.get()); }

void gf_showCheckBox(const UiBoolParameter& option)
{
    if (const HWND box = option.hWnd.load())
        SendMessageW(box, BM_SETCHECK, option.value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void gf_clearTextBox(std::uint16_t controlId)
{
    const HWND parent = g_parentWindow.load();
    if (parent == nullptr)
        return;
    if (const HWND control = GetDlgItem(parent, controlId))
        SetWindowTextW(control, u"");
}

void gf_selectChoice(const IntChoiceParameter& option)
{
    const HWND box = option.hWnd.load();
    if (box == nullptr)
        return;
    const auto found = std::find(option.allowed.begin(), option.allowed.end(), option.value.load());
    if (found != option.allowed.end())
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(found - option.allowed.begin()), 0);
}

void IntChoiceParameter::fillComboBox() const
{
    const HWND box = hWnd.load();
    if (!IsWindow(box))
        return;
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::int32_t n : allowed) {
        const std::u16string text = gf_utf8ToUtf16(std::to_string(n));
        SendMessageW(box, CB_ADDSTRING, 0, lf_textParam(text));
    }
    const auto found = std::find(allowed.begin(), allowed.end(), value.load());
    if (found != allowed.end())
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(found - allowed.begin()), 0);
}

void StringChoiceParameter::fillComboBox() const
{
    const HWND box = hWnd.load();
    if (!IsWindow(box))
        return;
    std::vector<std::u16string> texts;
    texts.reserve(choices.size());
    for (const std::string& choice : choices)
        texts.push_back(gf_utf8ToUtf16(choice));
    const std::u16string selected = gf_utf8ToUtf16(value.get());
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::u16string& text : texts)
        SendMessageW(box, CB_ADDSTRING, 0, lf_textParam(text));
    SendMessageW(box, CB_SELECTSTRING, static_cast<WPARAM>(-1), lf_textParam(selected));
}
