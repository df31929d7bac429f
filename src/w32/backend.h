#pragma once
// What a back-end does for the window layer: wake and wait for the GUI thread, follow the
// model of windows with native ones, draw, and take the user's input.
#include "w32/core.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace w32::detail {

class Backend {
public:
    virtual ~Backend() = default;
    virtual BackendKind kind() const = 0;

    // Any thread, no lock held: the GUI thread must look at the queue again.
    virtual void wake() = 0;
    // GUI thread, `lock` (the core mutex) held: sleeps until woken or native input arrives.
    virtual void wait(std::unique_lock<std::mutex>& lock) = 0;
    // GUI thread, no lock: takes the native input there is, without waiting.
    virtual void processInput() {}
    // GUI thread, no lock: makes the native windows follow the model (the dirty windows).
    virtual void sync() {}
    // GUI thread, no lock: windows are gone (a parent before its children).
    virtual void destroyed(const std::vector<Id>&) {}

    // GUI thread, inside BeginPaint .. EndPaint.
    virtual void beginPaint(Id, const RECT&) {}
    virtual void draw(Id, const testing::DrawOp&, const RECT&) {}
    virtual void endPaint(Id) {}

    // What the user sees.
    virtual std::optional<COLORREF> colourAt(Id window, int x, int y);
    virtual bool screenshot(Id window, const std::filesystem::path& png);

    // The user's input. The headless forms post the messages a real control would.
    virtual bool click(HWND control);
    virtual bool select(HWND comboBox, int index);
    virtual bool type(HWND edit, std::u16string_view text);
    virtual bool pressCloseBox(HWND topLevel);
    virtual bool pressEscape(HWND topLevel);
};

Backend& gf_headlessBackend();
// nullptr when there is no display.
Backend* gf_fltkBackend();

} // namespace w32::detail
