#include "app/main_window_paint.h"

#include "app/main_window_state.h"
#include "app/paint_text.h"
#include "feed/feed_display.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/utf.h"

#include <fmt/format.h>
#include <stdexcept>

namespace {

HDC lf_dc() { return g_mainWindowState.paintDc.load(); }

void lf_fill(const RECT& rect, HBRUSH brush) { FillRect(lf_dc(), &rect, brush); }

void lf_line(HPEN pen, LONG x1, LONG y1, LONG x2, LONG y2)
{
    SelectObject(lf_dc(), pen);
    const POINT points[2] = {{x1, y1}, {x2, y2}};
    Polyline(lf_dc(), points, 2);
}

HBRUSH lf_brushOf(COLORREF colour)
{
    const MainWindowState& s = g_mainWindowState;
    if (colour == g_greenColour)
        return s.greenBrush;
    if (colour == g_yellowColour)
        return s.yellowBrush;
    return s.redBrush;
}

// a lamp's text colour for 1 (receiving) and 2 (running, no data)
COLORREF lf_lampColour(std::int32_t lamp) { return lamp == g_lampReceiving ? g_greenColour : g_yellowColour; }

void lf_paintHeaderState()
{
    const MainWindowState& s = g_mainWindowState;
    const bool connected = s.simConnected;
    const std::string title = s.userAircraftText.get();
    COLORREF sim = g_redColour;
    if (connected)
        sim = s.simRunning && !title.empty() ? g_greenColour : g_yellowColour;
    lf_fill(g_simLampRect, lf_brushOf(sim));
    gf_textOut(398, 63, "Sim", g_greenColour);

    if (connected) {
        std::string line = s.simulatorText.get();
        if (const std::string stand = s.userStandText.get(); !stand.empty())
            line += ", user stand " + stand;
        gf_textOut(5, 35, line, sim);
        gf_textOut(5, 63, title, s.userModelKnown ? sim : g_yellowColour);
    } else {
        gf_textOut(5, 35, fmt::format("MSFS 20{} mode", g_msfs2020Mode ? "20" : "24"), g_greenColour);
    }

    if (const std::uint64_t liveries = s.liveryCount; liveries > 0)
        gf_textOut(5, 91, fmt::format("# liveries: {}", liveries), g_greenColour);
    else
        gf_textOut(5, 91, "# liveries: ...", g_redColour);
    if (const std::int32_t simaddon = s.simaddonCount; simaddon != 0)
        gf_textOut(141, 91, fmt::format("# {}: {}", "simaddon", simaddon), g_greenColour);
    else
        gf_textOut(141, 91, std::string("# ") + "simaddon" + ": ...", g_yellowColour);
    if (const std::int32_t thirdparty = s.thirdpartyCount; thirdparty != 0)
        gf_textOut(278, 91, fmt::format("# thirdp: {}", thirdparty), g_greenColour);
    else
        gf_textOut(278, 91, "# thirdp: ...", g_yellowColour);

    const bool rtConnected = g_sessionActive;
    HBRUSH rt = s.blackBrush;
    if (!s.rtIdle)
        rt = rtConnected ? s.greenBrush : s.redBrush;
    lf_fill(g_rtLampRect, rt);
    gf_textOut(430, 63, "RT", g_greenColour);
    if (rtConnected) {
        gf_textOut(458, 35, s.rtAccountText.get(), g_greenColour);
        if (const std::int32_t weather = g_weatherLamp; weather != g_lampNotRunning)
            gf_textOut(458, 63, "Weather", lf_lampColour(weather));
        if (const std::int32_t traffic = g_trafficLamp; traffic != g_lampNotRunning)
            gf_textOut(458, 91, "Traffic", lf_lampColour(traffic));
    }
    lf_line(s.blackPen, 425, 29, 425, 112);
}

bool lf_lampRunning(std::int32_t lamp) { return lamp == g_lampReceiving || lamp == g_lampNoData; }

void lf_paintQnh()
{
    const std::int32_t qnh = g_windowQnh;
    if (g_sessionActive && lf_lampRunning(g_weatherLamp) && qnh >= 1)
        gf_textOut(642, 63, fmt::format("qnh: {:4}", qnh), g_greenColour);
}

void lf_paintStatistics()
{
    const MainWindowState& s = g_mainWindowState;
    const std::string airport = s.parkAirportText.get();
    if (airport.empty())
        return;
    const int y1 = MainWindowState::statsRowY;
    const int y2 = y1 + 28;
    const bool fileOk = s.parkFileOk;
    gf_textOut(5, y1, airport, fileOk ? g_greenColour : g_yellowColour);
    if (!fileOk)
        return;
    gf_textOut(85, y1,
               fmt::format(" {}, {}{}, wk={}", s.apfAirportName.get(), s.apfPublisher.get(),
                           s.handmadeApf ? " (h)" : "", s.rtTrafficWeek.load()),
               g_greenColour);
    if (s.staticMarker)
        gf_textOut(370, y1, "*S*", g_greenColour);
    const bool ptOnly = RT_PARKTRAFFIC_ONLY.value;
    if (!ptOnly)
        gf_textOut(430, y1, fmt::format("qf: {}", s.qualityFactor.get()), g_greenColour);
    if (const std::string stand = s.reservedStand.get(); !stand.empty())
        gf_textOut(571, y1, fmt::format("reserved stand: {}", stand),
                   s.reservedStandOk ? g_greenColour : g_redColour);
    gf_textOut(748, y1, fmt::format("# updates: {:4}", s.standUpdates.load()), g_greenColour);

    gf_textOut(5, y2, fmt::format("# stands: {:3}", s.standCount.load()), g_greenColour);
    gf_textOut(111, y2, fmt::format("parked live: {:3}", s.parkedLiveCount.load()), g_greenColour);
    if (const float fit = s.meanFitLive; fit > 0)
        gf_textOut(249, y2, fmt::format("average fit: {}", gf_float2string(fit)), g_greenColour);
    const std::int32_t maxPark = s.maxPark;
    if (maxPark > 0) {
        gf_textOut(430, y2, fmt::format("parked static: {:3}", s.parkedStaticCount.load()), g_greenColour);
        if (const float fit = s.meanFitStatic; !WEEK.value && fit > 0)
            gf_textOut(571, y2, fmt::format("average fit: {}", gf_float2string(fit)), g_greenColour);
    }
    if (ptOnly)
        return;
    if (maxPark != 0)
        gf_textOut(708, y2, fmt::format("max park: {:3} (={} %)", maxPark, s.maxParkPercent.load()), g_greenColour);
    else
        gf_textOut(708, y2, "no max park live", g_greenColour);
}

void lf_paintStatusLine()
{
    const MainWindowState& s = g_mainWindowState;
    const StatusLine status = gf_statusLine(); // one snapshot under the status-line mutex
    lf_fill(g_statusLineRect, status.error ? s.redBrush : s.greenBrush);
    if (!status.text.empty())
        gf_textOut(3, 455, status.text, g_yellowColour);
}

} // namespace

void gf_textOut(int x, int y, const std::string& text, COLORREF colour)
{
    const HDC dc = lf_dc();
    SetTextColor(dc, colour);
    try {
        const std::u16string wide = gf_utf8ToUtf16(text);
        TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    } catch (const win32::Utf8ConversionException& e) {
        gf_logWhileRunning(fmt::format("{} conversion exception {}, error code: {}", text, e.what(), e.errorCode()));
    } catch (const std::overflow_error& e) {
        gf_logWhileRunning(fmt::format("{} {}", text, e.what()));
    }
}

void gf_textOutEnabled(int x, int y, const std::string& text, bool enabled)
{
    gf_textOut(x, y, text, enabled ? g_blackColour : g_greyColour);
}

void gf_paintMainWindow(HDC hdc)
{
    MainWindowState& s = g_mainWindowState;
    s.paintDc = hdc;
    lf_fill(g_titleBandRect, s.blackBrush);
    lf_fill(g_headerRect, s.blackBrush);
    lf_fill(g_statisticsRect, s.blackBrush);
    lf_fill(g_optionsPanelRect, s.blueBrush);
    lf_fill(g_statusLineRect, s.greenBrush);
    for (const LONG y : {28, 113, 449, 392})
        lf_line(s.whitePen, 0, y, 880, y);
    SetBkMode(hdc, TRANSPARENT);
    gf_textOut(3, 7, fmt::format("Version {}", g_programVersion.toString()), g_greenColour);
    gf_textOut(390, 7, std::string(g_shortDisplayName), g_greenColour);
    for (const auto& l : MainWindowState::separatorLines)
        lf_line(s.blackPen, l[0], l[1], l[2], l[3]);
    lf_line(s.blackPen, 642, 140, 642, 308);
    lf_paintHeaderState();
    lf_paintQnh();
    if (g_sessionActive && lf_lampRunning(g_trafficLamp))
        gf_textOut(642, 91, fmt::format("live: {:3}", s.liveCount.load()), g_greenColour);
    gf_paintOptionLabels();
    lf_paintStatistics();
    lf_paintStatusLine();
}
