#include "foundation/status_line.h"

#include "foundation/log.h"

#include <algorithm>
#include <fmt/format.h>
#include <mutex>

namespace {

std::mutex g_statusMutex;
StatusLine g_status;
std::int32_t g_updateCount = 0; // user-data updates, under g_statusMutex
constexpr std::int32_t g_statusLifetime = 25;
std::function<void()> g_repaintHook;

void lf_repaint()
{
    std::function<void()> hook;
    {
        std::lock_guard lock(g_statusMutex);
        hook = g_repaintHook;
    }
    if (hook)
        hook();
}

} // namespace

void gf_showStatus(std::string_view text, bool log)
{
    {
        std::lock_guard lock(g_statusMutex);
        if (g_status.error)
            return;
        g_status.text = text;
        g_status.stamp = text.empty() ? 0 : std::max<std::int32_t>(1, g_updateCount);
    }
    if (log && !text.empty())
        gf_log(text);
    lf_repaint();
}

void gf_showError(std::string_view text)
{
    {
        std::lock_guard lock(g_statusMutex);
        g_status.text = text;
        g_status.error = true;
        g_status.stamp = 0;
    }
    gf_log(fmt::format("Error {}", text));
    lf_repaint();
}

void gf_clearStatus() { gf_showStatus({}, true); }

void gf_clearStatusAndError()
{
    {
        std::lock_guard lock(g_statusMutex);
        g_status = StatusLine{};
    }
    lf_repaint();
}

StatusLine gf_statusLine()
{
    std::lock_guard lock(g_statusMutex);
    return g_status;
}

void gf_countStatusUpdate()
{
    {
        std::lock_guard lock(g_statusMutex);
        ++g_updateCount;
        if (g_status.error || g_status.stamp <= 0 || g_updateCount - g_status.stamp < g_statusLifetime)
            return;
        g_status = StatusLine{};
    }
    lf_repaint();
}

void gf_resetStatusUpdates()
{
    std::lock_guard lock(g_statusMutex);
    g_updateCount = 0;
}

void gf_setStatusRepaintHook(std::function<void()> hook)
{
    std::lock_guard lock(g_statusMutex);
    g_repaintHook = std::move(hook);
}
