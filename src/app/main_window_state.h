#pragma once
// The main window's display fields that the control thread writes; the window reads them when
// it paints. The feed's lamps, QNH and session flag live in feed/feed_display.h.
#include "foundation/shared_text.h"

#include <atomic>
#include <cstdint>

struct MainWindowState {
    std::atomic<bool> simConnected{false};
    std::atomic<bool> simRunning{false};
    std::atomic<bool> rtIdle{true};               // no live traffic started yet
    std::atomic<bool> userModelKnown{true};
    std::atomic<bool> userWingspanKnown{false};
    std::atomic<bool> timeControlsEnabled{true};
    std::atomic<bool> busy{false};                // the busy mode
    std::atomic<std::int32_t> statusUpdateCount{0}; // user-data updates, for the status stamp
    std::atomic<std::int32_t> statusStamp{0};       // statusUpdateCount when a stamped status was shown
    std::atomic<std::int32_t> liveCount{0};
    std::atomic<std::int32_t> parkedLiveCount{0};
    std::atomic<std::int32_t> parkedStaticCount{0};
    std::atomic<std::int32_t> nextRenewalMinutes{0};
    std::atomic<std::int32_t> simaddonCount{0};
    std::atomic<std::int32_t> thirdpartyCount{0};
    std::atomic<float> meanFitStatic{-1.0f};
    std::atomic<float> meanFitLive{-1.0f};
    SharedText simulatorText;
    SharedText userAircraftText;
    SharedText userStandText;
    SharedText callsignObjectId;
};

extern MainWindowState g_mainWindowState;

enum class WindowArea { header, statistics, optionsPanel };

// Asks the main window to repaint an area; nothing while the window does not exist.
void gf_repaint(WindowArea area);

// Every field back to its start value.
void gf_resetMainWindowState();

void gf_beginBusyMode();
void gf_endBusyMode();
