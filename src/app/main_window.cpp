#include "app/main_window.h"

#include "app/app_messages.h"
#include "app/main_window_state.h"
#include "aircraft/livery_processing.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/status_line.h"
#include "foundation/utf.h"
#include "platform/clock.h"
#include "platform/single_instance.h"

#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <pugixml.hpp>

namespace {

constexpr UINT g_titleResource = 101;
constexpr WORD g_iconResource = 100;
constexpr int g_windowWidth = 880;
constexpr int g_windowHeight = 516;

// the single-instance lock, held for the life of the process
int g_instanceMutex = -1;

// Brushes and pens of the paint; they live as long as the process.
void lf_createPaintTools()
{
    MainWindowState& s = g_mainWindowState;
    s.redBrush = CreateSolidBrush(RGB(255, 0, 0));
    s.blueBrush = CreateSolidBrush(RGB(153, 204, 255));
    s.blackBrush = CreateSolidBrush(RGB(0, 0, 0));
    s.greenBrush = CreateSolidBrush(RGB(50, 205, 50));
    s.yellowBrush = CreateSolidBrush(RGB(255, 255, 0));
    s.blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    s.whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
}

// What lower libraries show in the window comes through these.
void lf_installDisplayHooks()
{
    gf_setStatusRepaintHook([] { gf_repaint(WindowArea::statusLine); });
    gf_installLiveryCountHook([](std::uint64_t count) {
        g_mainWindowState.liveryCount = count;
        gf_repaint(WindowArea::header);
    });
}

void lf_readSavedPosition()
{
    pugi::xml_document doc;
    if (!doc.load_file(gf_pathFromUtf8(g_parametersPath).c_str()))
        return;
    gf_loadIntParameter(MAIN_WINDOW_X, doc, false);
    gf_loadIntParameter(MAIN_WINDOW_Y, doc, false);
    gf_resetWindowPosAtLimit(MAIN_WINDOW_X.defaultValue, MAIN_WINDOW_Y.defaultValue);
}

} // namespace

int wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/, int /*showCommand*/)
{
    std::string failure;
    if (g_instanceMutex < 0)
        g_instanceMutex = platform::acquireSingleInstance("Local\\$Tarnwick$", &failure);
    if (g_instanceMutex == -1)
        return -1;
    gf_openLog();
    // no guard could be made: the program runs without it, as it would where the mutex fails
    if (!failure.empty())
        gf_logError(fmt::format("Single-instance guard not taken, {}", failure));
    return initInstance(instance);
}

int initInstance(HINSTANCE instance)
{
    WCHAR title[100]{};
    if (LoadStringW(instance, g_titleResource, title, 100) <= 0) {
        gf_log("Failed to load application title");
        return 0;
    }
    if (!gf_registerWindowClass(instance, title)) {
        gf_log("Failed to register window class");
        return 0;
    }
    lf_installDisplayHooks();
    if (!gf_createMainWindow(instance, title)) {
        gf_log("initInstance failed");
        return 0;
    }
    try {
        if (!std::filesystem::exists(g_dataFolder))
            std::filesystem::create_directories(g_dataFolder);
    } catch (const std::filesystem::filesystem_error& e) {
        gf_log(fmt::format("Failed to create directory: {}", e.what()));
        return 0;
    }
    if (const HWND window = g_mainWindowState.hMainWindow.load(); window != nullptr)
        PostMessageW(window, WM_APP_RUN, 0, 0);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool gf_registerWindowClass(HINSTANCE instance, LPCWSTR title)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(WNDCLASSEXW);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &wndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(g_iconResource));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = title;
    wc.hIconSm = wc.hIcon;
    return RegisterClassExW(&wc) != 0;
}

bool gf_createMainWindow(HINSTANCE instance, LPCWSTR title)
{
    MainWindowState& s = g_mainWindowState;
    for (int sleeps = 0; !s.constructed; ++sleeps) {
        if (sleeps == 18)
            return false;
        platform::clock().sleepFor(std::chrono::milliseconds(50));
    }
    lf_readSavedPosition();
    lf_createPaintTools();
    const HWND window = CreateWindowExW(0, title, title, WS_CAPTION | WS_SYSMENU, MAIN_WINDOW_X.value,
                                        MAIN_WINDOW_Y.value, g_windowWidth, g_windowHeight, nullptr, nullptr,
                                        instance, nullptr);
    s.hMainWindow = window;
    if (window == nullptr)
        return false;
    ShowWindow(window, SW_SHOW);
    return UpdateWindow(window) != FALSE;
}

void gf_resetWindowPosAtLimit(int x, int y)
{
    for (auto [option, value] : {std::pair{&MAIN_WINDOW_X, x}, std::pair{&MAIN_WINDOW_Y, y}}) {
        const std::int32_t current = option->value;
        if (current != option->min && current != option->max)
            continue;
        option->value = option->clamped(value);
        gf_saveIntParameter(*option);
    }
}

void gf_setProgramResources() { w32::setStringResource(g_titleResource, gf_utf8ToUtf16(g_shortDisplayName)); }
