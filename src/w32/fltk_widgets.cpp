#include "w32/fltk_widgets.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>

namespace w32::detail {
namespace {

void lf_post(Id id, UINT message, WPARAM wParam) { PostMessageW(gf_handle<HWND>(id), message, wParam, 0); }

std::size_t lf_utf16Length(std::string_view utf8) { return gf_toUtf16(utf8).size(); }

} // namespace

Fl_Color gf_flColour(COLORREF colour)
{
    return fl_rgb_color(static_cast<uchar>(colour & 0xFF), static_cast<uchar>((colour >> 8) & 0xFF),
                        static_cast<uchar>((colour >> 16) & 0xFF));
}

// ---- TopWindow

TopWindow::TopWindow(Id id, int x, int y, int w, int h) : Fl_Double_Window(x, y, w, h), m_id(id)
{
    end();
    size_range(w, h, w, h); // no sizing border
}

TopWindow::~TopWindow()
{
    if (m_picture != 0)
        fl_delete_offscreen(m_picture);
}

void TopWindow::ensurePicture()
{
    if (m_picture != 0 && m_pictureW == w() && m_pictureH == h())
        return;
    if (m_picture != 0)
        fl_delete_offscreen(m_picture);
    m_picture = fl_create_offscreen(w(), h());
    m_pictureW = w();
    m_pictureH = h();
    fl_begin_offscreen(m_picture);
    fl_color(FL_BLACK);
    fl_rectf(0, 0, w(), h());
    fl_end_offscreen();
}

void TopWindow::draw()
{
    // The window's own picture only on a full redraw: a control being typed in asks for a
    // redraw of itself alone, and the picture must not cover it.
    if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
        if (m_picture != 0) {
            fl_copy_offscreen(0, 0, w(), h(), m_picture, 0, 0);
        } else {
            fl_color(FL_BLACK);
            fl_rectf(0, 0, w(), h());
        }
    }
    draw_children();
}

void TopWindow::resize(int x, int y, int w, int h)
{
    Fl_Double_Window::resize(x, y, w, h);
    if (m_placing)
        return;
    // Moved by the user.
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    if (WindowRec* rec = gf_findWindow(core, m_id); rec != nullptr) {
        rec->x = x;
        rec->y = y;
    }
}

void TopWindow::placeByModel(int x, int y, int w, int h)
{
    if (x == this->x() && y == this->y() && w == this->w() && h == this->h())
        return;
    m_placing = true;
    size_range(w, h, w, h);
    resize(x, y, w, h);
    m_placing = false;
}

// ---- CheckBoxWidget

CheckBoxWidget::CheckBoxWidget(Id id, int x, int y, int w, int h) : Fl_Widget(x, y, w, h), m_id(id) {}

void CheckBoxWidget::draw()
{
    fl_color(m_background);
    fl_rectf(x(), y(), w(), h());
    const int s = std::min(w(), h());
    const int bx = x();
    const int by = y() + (h() - s) / 2;
    const bool on = active_r() != 0;
    fl_color(on ? FL_WHITE : fl_rgb_color(240, 240, 240));
    fl_rectf(bx, by, s, s);
    fl_color(on ? fl_rgb_color(51, 51, 51) : fl_rgb_color(160, 160, 160));
    fl_rect(bx, by, s, s);
    if (m_checked) {
        fl_color(on ? FL_BLACK : fl_rgb_color(160, 160, 160));
        fl_line_style(FL_SOLID, 2);
        fl_line(bx + 2, by + s / 2, bx + s / 2 - 1, by + s - 3, bx + s - 3, by + 3);
        fl_line_style(0);
    }
}

int CheckBoxWidget::handle(int event)
{
    switch (event) {
    case FL_PUSH:
        return 1;
    case FL_RELEASE:
        if (Fl::event_inside(this) != 0)
            lf_post(m_id, kUserClick, 0);
        return 1;
    default:
        return Fl_Widget::handle(event);
    }
}

void CheckBoxWidget::set(bool checked, COLORREF background)
{
    m_checked = checked;
    m_background = gf_flColour(background);
    redraw();
}

// ---- PushButtonWidget

PushButtonWidget::PushButtonWidget(Id id, int x, int y, int w, int h) : Fl_Button(x, y, w, h)
{
    callback(&PushButtonWidget::lf_pressed, reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
    labelsize(12);
}

void PushButtonWidget::lf_pressed(Fl_Widget*, void* data)
{
    lf_post(static_cast<Id>(reinterpret_cast<UINT_PTR>(data)), kUserClick, 0);
}

void PushButtonWidget::setText(const std::string& text)
{
    if (text == m_label)
        return;
    m_label = text;
    copy_label(text.c_str());
}

// ---- EditWidget

EditWidget::EditWidget(Id id, int x, int y, int w, int h) : Fl_Input(x, y, w, h), m_id(id)
{
    box(FL_BORDER_BOX);
    textsize(12);
}

void EditWidget::lf_reportCaret()
{
    const std::size_t caret = lf_utf16Length(std::string_view(value(), static_cast<std::size_t>(position())));
    Core& core = gf_core();
    std::lock_guard lock(core.mutex);
    if (WindowRec* rec = gf_findWindow(core, m_id); rec != nullptr)
        rec->caret = caret;
}

void EditWidget::lf_postChars(std::u16string_view chars)
{
    for (const char16_t c : chars)
        if (c >= 32 && c != 0x7F)
            lf_post(m_id, WM_CHAR, c);
}

int EditWidget::handle(int event)
{
    switch (event) {
    case FL_KEYBOARD: {
        const int key = Fl::event_key();
        if (key == FL_Enter || key == FL_KP_Enter) {
            lf_post(m_id, WM_CHAR, u'\r');
            return 1;
        }
        if (key == FL_BackSpace) {
            lf_post(m_id, WM_CHAR, u'\b');
            return 1;
        }
        if (key == FL_Escape) {
            lf_post(m_id, WM_CHAR, 0x1B);
            return 1;
        }
        if (key == FL_Left || key == FL_Right || key == FL_Home || key == FL_End) {
            const int handled = Fl_Input::handle(event);
            lf_reportCaret();
            return handled;
        }
        if (key == FL_Tab)
            return 0;
        if ((Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) != 0) {
            if (key == 'c')
                return Fl_Input::handle(event);
            if (key == 'v')
                Fl::paste(*this, 1);
            return 1; // no other editing behind the window procedure's back
        }
        if (Fl::event_length() > 0) {
            lf_postChars(gf_toUtf16(std::string_view(Fl::event_text(), static_cast<std::size_t>(Fl::event_length()))));
            return 1;
        }
        return 1;
    }
    case FL_PASTE:
        if (Fl::event_length() > 0)
            lf_postChars(gf_toUtf16(std::string_view(Fl::event_text(), static_cast<std::size_t>(Fl::event_length()))));
        return 1;
    case FL_PUSH:
    case FL_DRAG:
    case FL_RELEASE: {
        const int handled = Fl_Input::handle(event);
        lf_reportCaret();
        return handled;
    }
    default:
        return Fl_Input::handle(event);
    }
}

void EditWidget::set(const std::u16string& text, std::size_t caret, COLORREF background)
{
    const std::string utf8 = gf_toUtf8(text);
    if (utf8 != value())
        value(utf8.c_str());
    position(static_cast<int>(gf_toUtf8(std::u16string_view(text).substr(0, std::min(caret, text.size()))).size()));
    color(gf_flColour(background));
    redraw();
}

// ---- ComboWidget

ComboWidget::ComboWidget(Id id, int x, int y, int w, int h) : Fl_Choice(x, y, w, h), m_id(id)
{
    callback(&ComboWidget::lf_chosen);
    when(FL_WHEN_RELEASE | FL_WHEN_NOT_CHANGED);
    textsize(12);
    box(FL_BORDER_BOX);
    down_box(FL_BORDER_BOX);
    color(FL_WHITE);
}

void ComboWidget::lf_chosen(Fl_Widget* w, void*)
{
    const auto* combo = static_cast<ComboWidget*>(w);
    const int index = combo->value();
    if (index >= 0)
        lf_post(combo->m_id, kUserSelect, static_cast<WPARAM>(index));
}

void ComboWidget::set(const std::vector<std::u16string>& items, int selection)
{
    std::vector<std::string> labels;
    labels.reserve(items.size());
    for (const auto& item : items)
        labels.push_back(gf_toUtf8(item));
    if (labels != m_labels || m_items.empty()) {
        menu(nullptr);
        m_labels = std::move(labels);
        m_items.assign(m_labels.size() + 1, Fl_Menu_Item{});
        for (std::size_t i = 0; i < m_labels.size(); ++i)
            m_items[i].text = m_labels[i].c_str();
        menu(m_items.data());
    }
    if (selection >= 0 && selection < static_cast<int>(m_labels.size()))
        value(selection);
    else
        value(static_cast<const Fl_Menu_Item*>(nullptr));
    redraw();
}

} // namespace w32::detail
