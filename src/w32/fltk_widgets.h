#pragma once
// The native side of the FLTK back-end: one FLTK widget per window of the layer. Widgets only
// report what the user did (as posted messages); what they show comes from the model.
#include "w32/core.h"
#include "w32/text_convert.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Widget.H>
#include <FL/x.H>

#include <string>
#include <vector>

namespace w32::detail {

Fl_Color gf_flColour(COLORREF colour);

// The top-level window. What the window procedure paints lives in `picture`; the window shows
// it on a full redraw and puts its controls on top.
class TopWindow : public Fl_Double_Window {
public:
    TopWindow(Id id, int x, int y, int w, int h);
    ~TopWindow() override;
    void draw() override;
    void resize(int x, int y, int w, int h) override;
    // The picture exists and has the window's size.
    void ensurePicture();
    Fl_Offscreen picture() const { return m_picture; }
    void placeByModel(int x, int y, int w, int h);

private:
    Id m_id;
    Fl_Offscreen m_picture = 0;
    int m_pictureW = 0;
    int m_pictureH = 0;
    bool m_placing = false;
};

// A check box (BS_CHECKBOX): a square, ticked when checked; a click only reports.
class CheckBoxWidget : public Fl_Widget {
public:
    CheckBoxWidget(Id id, int x, int y, int w, int h);
    void draw() override;
    int handle(int event) override;
    void set(bool checked, COLORREF background);

private:
    Id m_id;
    bool m_checked = false;
    Fl_Color m_background = FL_WHITE;
};

class PushButtonWidget : public Fl_Button {
public:
    PushButtonWidget(Id id, int x, int y, int w, int h);
    void setText(const std::string& text);

private:
    static void lf_pressed(Fl_Widget* w, void* data);
    std::string m_label;
};

// A one-line edit box. Typed characters are posted as WM_CHAR and reach the box only through
// its window procedure; moving the caret stays native.
class EditWidget : public Fl_Input {
public:
    EditWidget(Id id, int x, int y, int w, int h);
    int handle(int event) override;
    void set(const std::u16string& text, std::size_t caret, COLORREF background);

private:
    void lf_reportCaret();
    void lf_postChars(std::u16string_view chars);
    Id m_id;
};

// A drop-down list.
class ComboWidget : public Fl_Choice {
public:
    ComboWidget(Id id, int x, int y, int w, int h);
    void set(const std::vector<std::u16string>& items, int selection);

private:
    static void lf_chosen(Fl_Widget* w, void* data);
    Id m_id;
    std::vector<std::string> m_labels;
    std::vector<Fl_Menu_Item> m_items;
};

} // namespace w32::detail
