// The back-end with a real window (FLTK 1.3 on X11). Other threads only change the model and
// write one byte into a pipe that the GUI thread's event loop watches; the GUI thread makes the
// widgets follow the model, draws, and turns the user's input into posted messages.
#include "w32/backend.h"
#include "w32/fltk_widgets.h"
#include "w32/png_writer.h"

#include <FL/Fl.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <set>
#include <unistd.h>

namespace w32::detail {
namespace {

// What the native side needs of a window, copied under the lock.
struct View {
    Id id = 0;
    Kind kind = Kind::custom;
    DWORD style = 0;
    Id parent = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::u16string text;
    bool enabled = true;
    bool visible = false;
    bool topmost = false;
    UINT check = 0;
    std::vector<std::u16string> items;
    int curSel = -1;
    std::size_t caret = 0;
};

View lf_view(const WindowRec& w)
{
    return View{w.id,      w.kind,    w.style,   w.parent,   w.x,     w.y,      w.width, w.height,
                w.text,    w.enabled, w.visible, w.topmost,  w.check, w.items,  w.curSel, w.caret};
}

struct Native {
    Fl_Widget* widget = nullptr;
    Id parent = 0;
    bool topmost = false;
};

void lf_windowCallback(Fl_Widget*, void* data)
{
    // The close box asks the window procedure; Escape does nothing.
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape)
        return;
    PostMessageW(gf_handle<HWND>(static_cast<Id>(reinterpret_cast<UINT_PTR>(data))), WM_CLOSE, 0, 0);
}

class FltkBackend : public Backend {
public:
    bool start()
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == 0)
            return false;
        Display* probe = XOpenDisplay(nullptr);
        if (probe == nullptr)
            return false;
        XCloseDisplay(probe);
        if (::pipe2(m_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
            return false;
        fl_open_display();
        Fl::visual(FL_DOUBLE | FL_RGB);
        Fl::add_fd(m_pipe[0], FL_READ, &FltkBackend::lf_drain, nullptr);
        m_gui = std::this_thread::get_id();
        return true;
    }

    BackendKind kind() const override { return BackendKind::fltk; }

    void wake() override
    {
        const char c = 1;
        while (::write(m_pipe[1], &c, 1) < 0 && errno == EINTR) {
        }
    }

    void wait(std::unique_lock<std::mutex>& lock) override
    {
        lock.unlock();
        if (onGui())
            Fl::wait();
        lock.lock();
    }

    void processInput() override
    {
        if (onGui())
            Fl::check();
    }

    void sync() override
    {
        if (!onGui())
            return;
        Core& core = gf_core();
        std::vector<View> views;
        {
            std::lock_guard lock(core.mutex);
            for (const Id id : core.dirty)
                if (const WindowRec* w = gf_findWindow(core, id); w != nullptr)
                    views.push_back(lf_view(*w));
            core.dirty.clear();
        }
        for (const View& v : views)
            apply(v);
    }

    void destroyed(const std::vector<Id>& ids) override
    {
        if (!onGui())
            return;
        std::set<Id> gone(ids.begin(), ids.end());
        for (const Id id : ids) {
            const auto it = m_natives.find(id);
            if (it == m_natives.end())
                continue;
            Fl_Widget* widget = it->second.widget;
            if (gone.count(it->second.parent) == 0) { // deleting the parent deletes its children
                if (Fl_Group* parent = widget->parent(); parent != nullptr)
                    parent->remove(widget);
                widget->hide();
                Fl::delete_widget(widget);
            }
            m_natives.erase(it);
        }
    }

    void beginPaint(Id window, const RECT& clip) override
    {
        if (!onGui() || m_painting != 0)
            return;
        sync();
        TopWindow* top = topOf(window);
        if (top == nullptr)
            return;
        top->ensurePicture();
        m_savedWindow = fl_window;
        m_savedGc = fl_gc;
        if (m_savedGc == nullptr)
            fl_gc = XCreateGC(fl_display, top->picture(), 0, nullptr);
        m_savedSurface = Fl_Surface_Device::surface();
        fl_window = top->picture();
        Fl_Display_Device::display_device()->set_current();
        fl_push_no_clip();
        fl_push_clip(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
        fl_font(FL_HELVETICA, 13);
        m_painting = window;
    }

    void draw(Id window, const testing::DrawOp& op, const RECT&) override
    {
        if (!onGui() || m_painting != window)
            return;
        using Kind = testing::DrawOp::Kind;
        switch (op.kind) {
        case Kind::erase:
        case Kind::fillRect:
            fl_color(gf_flColour(op.colour));
            fl_rectf(op.rect.left, op.rect.top, op.rect.right - op.rect.left, op.rect.bottom - op.rect.top);
            break;
        case Kind::polyline:
            fl_color(gf_flColour(op.colour));
            fl_line_style(FL_SOLID, op.penWidth);
            for (std::size_t i = 1; i < op.points.size(); ++i)
                fl_line(op.points[i - 1].x, op.points[i - 1].y, op.points[i].x, op.points[i].y);
            fl_line_style(0);
            break;
        case Kind::textOut: {
            const std::string text = gf_toUtf8(op.text);
            if (op.bkMode == OPAQUE) {
                fl_color(gf_flColour(op.bkColour));
                fl_rectf(op.x, op.y, static_cast<int>(fl_width(text.c_str())), fl_height());
            }
            fl_color(gf_flColour(op.colour));
            fl_draw(text.c_str(), op.x, op.y + fl_height() - fl_descent()); // the point is the top-left corner
            break;
        }
        }
    }

    void endPaint(Id window) override
    {
        if (!onGui() || m_painting != window)
            return;
        fl_pop_clip();
        fl_pop_clip();
        if (m_savedGc == nullptr)
            XFreeGC(fl_display, fl_gc);
        fl_gc = m_savedGc;
        fl_window = m_savedWindow;
        m_savedSurface->set_current();
        m_painting = 0;
        if (TopWindow* top = topOf(window); top != nullptr)
            top->redraw();
    }

    std::optional<COLORREF> colourAt(Id window, int x, int y) override
    {
        int w = 0;
        int h = 0;
        const auto rgb = capture(window, w, h);
        if (!rgb || x < 0 || y < 0 || x >= w || y >= h)
            return std::nullopt;
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 3;
        return RGB((*rgb)[at], (*rgb)[at + 1], (*rgb)[at + 2]);
    }

    bool screenshot(Id window, const std::filesystem::path& png) override
    {
        int w = 0;
        int h = 0;
        const auto rgb = capture(window, w, h);
        return rgb && gf_writePng(png, w, h, *rgb);
    }

    bool click(HWND control) override
    {
        Fl_Widget* widget = reachable(control, Kind::button);
        if (widget == nullptr)
            return false;
        pressAt(widget);
        return true;
    }

    bool select(HWND comboBox, int index) override
    {
        auto* widget = dynamic_cast<ComboWidget*>(reachable(comboBox, Kind::combo));
        if (widget == nullptr || index < 0 || index >= widget->size() - 1)
            return false;
        // The list's own popup runs a nested event loop; the choice is made as it would end.
        widget->value(index);
        widget->do_callback();
        return true;
    }

    bool type(HWND edit, std::u16string_view text) override
    {
        Fl_Widget* widget = reachable(edit, Kind::edit);
        if (widget == nullptr)
            return false;
        pressAt(widget); // the box takes the keyboard focus
        const Window xid = fl_xid(widget->window());
        for (const char16_t c : text) {
            KeySym sym = NoSymbol;
            if (c == u'\r')
                sym = XK_Return;
            else if (c == 8)
                sym = XK_BackSpace;
            else if (c == 0x1B)
                sym = XK_Escape;
            else if (c >= 0x20 && c < 0x7F)
                sym = static_cast<KeySym>(c);
            if (sym == NoSymbol || !sendKey(xid, sym))
                PostMessageW(edit, WM_CHAR, c, 0); // no key for it on this keyboard: as an input method would
        }
        settle();
        return true;
    }

    bool pressCloseBox(HWND topLevel) override
    {
        TopWindow* top = shownTop(topLevel);
        if (top == nullptr)
            return false;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.display = fl_display;
        e.xclient.window = fl_xid(top);
        e.xclient.message_type = XInternAtom(fl_display, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(fl_display, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(fl_display, fl_xid(top), False, NoEventMask, &e);
        settle();
        return true;
    }

    bool pressEscape(HWND topLevel) override
    {
        TopWindow* top = shownTop(topLevel);
        if (top == nullptr)
            return false;
        Fl::focus(top);
        sendKey(fl_xid(top), XK_Escape);
        settle();
        return true;
    }

private:
    bool onGui() const { return std::this_thread::get_id() == m_gui; }

    static void lf_drain(int fd, void*)
    {
        char buffer[256];
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        // Cleared only after the bytes were taken, so that a wake-up is never lost.
        gf_core().wakePending.store(false, std::memory_order_release);
    }

    TopWindow* topOf(Id window)
    {
        const auto it = m_natives.find(window);
        return it == m_natives.end() ? nullptr : dynamic_cast<TopWindow*>(it->second.widget);
    }

    TopWindow* shownTop(HWND hwnd)
    {
        if (!onGui())
            return nullptr;
        sync();
        TopWindow* top = topOf(gf_idOf(hwnd));
        return top != nullptr && top->shown() != 0 ? top : nullptr;
    }

    // The native widget of a control the user can reach now.
    Fl_Widget* reachable(HWND hwnd, Kind kind)
    {
        if (!onGui())
            return nullptr;
        sync();
        {
            Core& core = gf_core();
            std::lock_guard lock(core.mutex);
            const WindowRec* w = gf_findWindow(core, hwnd);
            if (w == nullptr || w->kind != kind || !w->enabled || !w->visible)
                return nullptr;
        }
        const auto it = m_natives.find(gf_idOf(hwnd));
        if (it == m_natives.end() || it->second.widget->window() == nullptr ||
            it->second.widget->window()->shown() == 0)
            return nullptr;
        return it->second.widget;
    }

    // Takes what the X server has for us and draws.
    void settle()
    {
        XSync(fl_display, False);
        Fl::check();
        XSync(fl_display, False);
        Fl::check();
    }

    // A press and release of the left button in the middle of a widget, through the X server.
    void pressAt(Fl_Widget* widget)
    {
        Fl_Window* top = widget->window();
        const Window xid = fl_xid(top);
        const int x = widget->x() + widget->w() / 2;
        const int y = widget->y() + widget->h() / 2;
        const Window root = RootWindow(fl_display, fl_screen);
        int rx = 0;
        int ry = 0;
        Window child = 0;
        XTranslateCoordinates(fl_display, xid, root, x, y, &rx, &ry, &child);
        for (const bool press : {true, false}) {
            XEvent e{};
            e.xbutton.type = press ? ButtonPress : ButtonRelease;
            e.xbutton.display = fl_display;
            e.xbutton.window = xid;
            e.xbutton.root = root;
            e.xbutton.time = CurrentTime;
            e.xbutton.x = x;
            e.xbutton.y = y;
            e.xbutton.x_root = rx;
            e.xbutton.y_root = ry;
            e.xbutton.state = press ? 0 : Button1Mask;
            e.xbutton.button = Button1;
            e.xbutton.same_screen = True;
            XSendEvent(fl_display, xid, True, press ? ButtonPressMask : ButtonReleaseMask, &e);
        }
        settle();
    }

    // A key press and release through the X server; false when the keyboard has no such key.
    bool sendKey(Window xid, KeySym sym)
    {
        const KeyCode code = XKeysymToKeycode(fl_display, sym);
        if (code == 0)
            return false;
        XEvent e{};
        e.xkey.type = KeyPress;
        e.xkey.display = fl_display;
        e.xkey.window = xid;
        e.xkey.root = RootWindow(fl_display, fl_screen);
        e.xkey.time = CurrentTime;
        e.xkey.keycode = code;
        e.xkey.same_screen = True;
        unsigned int state = 0;
        if (XLookupKeysym(&e.xkey, 0) != sym) {
            if (XLookupKeysym(&e.xkey, 1) != sym)
                return false;
            state = ShiftMask;
        }
        e.xkey.state = state;
        XSendEvent(fl_display, xid, True, KeyPressMask, &e);
        e.xkey.type = KeyRelease;
        XSendEvent(fl_display, xid, True, KeyReleaseMask, &e);
        XSync(fl_display, False);
        Fl::check();
        return true;
    }

    std::optional<std::vector<unsigned char>> capture(Id window, int& w, int& h)
    {
        if (!onGui())
            return std::nullopt;
        sync();
        TopWindow* top = topOf(window);
        if (top == nullptr || top->shown() == 0)
            return std::nullopt;
        Fl::flush();
        w = top->w();
        h = top->h();
        Fl_Surface_Device* previous = Fl_Surface_Device::surface();
        std::unique_ptr<Fl_RGB_Image> image;
        {
            Fl_Image_Surface surface(w, h);
            surface.set_current();
            surface.draw(top);
            image.reset(surface.image());
            previous->set_current();
        }
        if (!image || image->d() < 3 || image->w() != w || image->h() != h)
            return std::nullopt;
        const auto* data = reinterpret_cast<const unsigned char*>(image->data()[0]);
        const int depth = image->d();
        const int line = image->ld() != 0 ? image->ld() : w * depth;
        std::vector<unsigned char> rgb;
        rgb.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = data + static_cast<std::ptrdiff_t>(y) * line + x * depth;
                rgb.insert(rgb.end(), p, p + 3);
            }
        return rgb;
    }

    void setAbove(TopWindow* top, bool above)
    {
        if (top->shown() == 0)
            return;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.display = fl_display;
        e.xclient.window = fl_xid(top);
        e.xclient.message_type = XInternAtom(fl_display, "_NET_WM_STATE", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = above ? 1 : 0;
        e.xclient.data.l[1] = static_cast<long>(XInternAtom(fl_display, "_NET_WM_STATE_ABOVE", False));
        e.xclient.data.l[3] = 1;
        XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XFlush(fl_display);
    }

    Fl_Widget* create(const View& v)
    {
        if (v.parent == 0) {
            if (v.kind != Kind::custom)
                return nullptr;
            auto* top = new TopWindow(v.id, v.x, v.y, v.width, v.height);
            Fl_Group::current(nullptr);
            top->callback(&lf_windowCallback, reinterpret_cast<void*>(static_cast<UINT_PTR>(v.id)));
            return top;
        }
        TopWindow* parent = topOf(v.parent);
        if (parent == nullptr)
            return nullptr; // controls live in a top-level window
        Fl_Widget* widget = nullptr;
        switch (v.kind) {
        case Kind::button:
            if ((v.style & 0xF) == BS_CHECKBOX)
                widget = new CheckBoxWidget(v.id, v.x, v.y, v.width, v.height);
            else
                widget = new PushButtonWidget(v.id, v.x, v.y, v.width, v.height);
            break;
        case Kind::edit:
            widget = new EditWidget(v.id, v.x, v.y, v.width, v.height);
            break;
        case Kind::combo:
            widget = new ComboWidget(v.id, v.x, v.y, v.width, v.height);
            break;
        case Kind::custom:
            return nullptr;
        }
        Fl_Group::current(nullptr);
        parent->add(widget);
        return widget;
    }

    void apply(const View& v)
    {
        auto it = m_natives.find(v.id);
        if (it == m_natives.end()) {
            Fl_Widget* widget = create(v);
            if (widget == nullptr)
                return;
            it = m_natives.emplace(v.id, Native{widget, v.parent, false}).first;
        }
        Fl_Widget* widget = it->second.widget;
        if (auto* top = dynamic_cast<TopWindow*>(widget); top != nullptr) {
            const std::string title = gf_toUtf8(v.text);
            if (top->label() == nullptr || title != top->label())
                top->copy_label(title.c_str());
            top->placeByModel(v.x, v.y, v.width, v.height);
            if (v.visible && top->shown() == 0)
                top->show();
            else if (!v.visible && top->shown() != 0)
                top->hide();
            if (v.topmost != it->second.topmost) {
                it->second.topmost = v.topmost;
                setAbove(top, v.topmost);
            }
            return;
        }
        if (widget->x() != v.x || widget->y() != v.y || widget->w() != v.width || widget->h() != v.height) {
            widget->resize(v.x, v.y, v.width, v.height);
            if (widget->window() != nullptr)
                widget->window()->redraw();
        }
        if (v.enabled)
            widget->activate();
        else
            widget->deactivate();
        if (v.visible)
            widget->show();
        else
            widget->hide();
        if (auto* check = dynamic_cast<CheckBoxWidget*>(widget); check != nullptr)
            check->set(v.check == BST_CHECKED, gf_askControlColours(gf_handle<HWND>(v.id)).brush);
        else if (auto* button = dynamic_cast<PushButtonWidget*>(widget); button != nullptr)
            button->setText(gf_toUtf8(v.text));
        else if (auto* edit = dynamic_cast<EditWidget*>(widget); edit != nullptr)
            edit->set(v.text, v.caret, gf_askControlColours(gf_handle<HWND>(v.id)).brush);
        else if (auto* combo = dynamic_cast<ComboWidget*>(widget); combo != nullptr)
            combo->set(v.items, v.curSel);
        widget->redraw();
    }

    int m_pipe[2] = {-1, -1};
    std::thread::id m_gui;
    std::map<Id, Native> m_natives;
    Id m_painting = 0;
    Window m_savedWindow = 0;
    GC m_savedGc = nullptr;
    Fl_Surface_Device* m_savedSurface = nullptr;
};

} // namespace

Backend* gf_fltkBackend()
{
    static FltkBackend* backend = [] {
        auto* b = new FltkBackend; // lives to the end of the process, as the display does
        if (!b->start()) {
            delete b;
            return static_cast<FltkBackend*>(nullptr);
        }
        return b;
    }();
    return backend;
}

} // namespace w32::detail
