#pragma once
// The main window's state: its handle, its brushes and pens, and the display fields that the
// control thread, the simulator thread and the readers write while the window paints them.
// Numbers and flags are atomics and every text is a SharedText, so that a paint never reads a
// text while it is written. The status line lives in foundation/status_line.h; the feed's
// lamps, QNH and session flag in feed/feed_display.h.
#include "foundation/shared_text.h"
#include "w32/windows.h"

#include <array>
#include <atomic>
#include <cstdint>

struct MainWindowState {
    MainWindowState();
    virtual ~MainWindowState();
    MainWindowState(const MainWindowState&) = delete;
    MainWindowState& operator=(const MainWindowState&) = delete;

    // GDI objects of the paint (GUI thread); made with the window, never deleted
    HBRUSH redBrush = nullptr;
    HBRUSH blueBrush = nullptr;
    HBRUSH blackBrush = nullptr;
    HBRUSH greenBrush = nullptr;
    HBRUSH yellowBrush = nullptr;
    HPEN blackPen = nullptr;
    HPEN whitePen = nullptr;
    // row separators of the options panel {x1, y1, x2, y2}
    static constexpr std::array<std::array<LONG, 4>, 7> separatorLines{{{0, 140, 880, 140},
                                                                        {0, 168, 642, 168},
                                                                        {0, 196, 642, 196},
                                                                        {0, 224, 880, 224},
                                                                        {0, 252, 642, 252},
                                                                        {0, 280, 642, 280},
                                                                        {0, 308, 880, 308}}};

    std::atomic<HDC> paintDc{nullptr};      // the device context of the last WM_PAINT
    std::atomic<HWND> hMainWindow{nullptr}; // set when the window is created

    // header
    std::atomic<bool> simConnected{false};
    std::atomic<bool> simRunning{false};
    std::atomic<bool> rtIdle{true};               // no live traffic started yet: the RT lamp stays dark
    std::atomic<bool> userModelKnown{true}; // the simulator link knows the user's model (and its wingspan)
    SharedText simulatorText;    // name and version of the connected simulator
    SharedText userAircraftText; // title of the user aircraft
    SharedText userStandText;    // stand of the user aircraft on the ground
    SharedText rtAccountText;    // account text of the live-traffic login
    std::atomic<std::uint64_t> liveryCount{0};
    std::atomic<std::int32_t> simaddonCount{0};
    std::atomic<std::int32_t> thirdpartyCount{0};
    std::atomic<std::int32_t> liveCount{0};

    // options panel
    std::atomic<bool> timeControlsEnabled{true};
    std::atomic<bool> busy{false};                 // the busy mode
    SharedText callsignObjectId;                   // found for the callsign of the "Oid:" box
    std::atomic<std::int32_t> nextRenewalMinutes{0};
    std::atomic<std::int32_t> addonAirportCount{0}; // found by the add-on airport scan
    SharedText addonScanFolder;                     // the folder that scan looked in

    // statistics band; shown while parkAirportText is not empty
    static constexpr std::int32_t statsRowY = 399; // the second row is 28 lower
    SharedText parkAirportText;                    // the park airport as text
    SharedText apfAirportName;                     // from the park airport's parking file
    SharedText apfPublisher;
    SharedText qualityFactor;
    SharedText reservedStand;                      // the stand kept free for the user
    std::atomic<std::int32_t> rtTrafficWeek{0};    // the parking file's RT traffic week
    std::atomic<bool> handmadeApf{false};
    std::atomic<bool> parkFileOk{false};
    std::atomic<bool> staticMarker{false};         // static parking from the stand schedule: "*S*"
    std::atomic<bool> reservedStandOk{false};
    std::atomic<std::int32_t> standUpdates{0};
    std::atomic<std::int32_t> standCount{0};
    std::atomic<std::int32_t> parkedLiveCount{0};
    std::atomic<std::int32_t> parkedStaticCount{0};
    std::atomic<std::int32_t> maxPark{0};
    std::atomic<std::int32_t> maxParkPercent{0};
    std::atomic<float> meanFitStatic{-1.0f}; // half hours; -1 unknown
    std::atomic<float> meanFitLive{-1.0f};

    std::atomic<bool> constructed{false}; // set last by the constructor
};

extern MainWindowState g_mainWindowState;

// The areas of the client area {left, top, right, bottom}.
inline constexpr RECT g_titleBandRect{0, 0, 880, 28};
inline constexpr RECT g_headerRect{0, 28, 880, 112};
inline constexpr RECT g_optionsPanelRect{0, 112, 880, 392};
inline constexpr RECT g_statisticsRect{0, 392, 880, 448};
inline constexpr RECT g_statusLineRect{0, 448, 880, 476};
inline constexpr RECT g_simLampRect{397, 30, 425, 112};
inline constexpr RECT g_rtLampRect{425, 30, 453, 112};

enum class WindowArea { header, statistics, optionsPanel, statusLine };

// Asks the main window to repaint an area (erasing it first); nothing while the window does
// not exist. Safe from any thread.
void gf_repaint(WindowArea area);

// Every display field back to its start value (the status-line update count too).
void gf_resetMainWindowState();

// The busy mode while static parked aircraft are calculated and placed: the controls that
// change static parking are disabled.
void gf_beginBusyMode();
void gf_endBusyMode();
