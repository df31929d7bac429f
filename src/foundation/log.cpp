#include "foundation/log.h"

#include "foundation/option_table.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/utc_time.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <mutex>
#include <stdexcept>

namespace {

std::ofstream g_logFile;
std::mutex g_logMutex;

void lf_writeLine(std::string_view prefix, std::string_view text)
{
    std::lock_guard lock(g_logMutex);
    if (!g_logFile.is_open())
        return;
    g_logFile << prefix << text << std::endl;
}

} // namespace

void gf_log(std::string_view text) { lf_writeLine({}, text); }

void gf_logError(std::string_view text) { lf_writeLine("===> ", text); }

void gf_logIndented(std::string_view text) { lf_writeLine("          ", text); }

void gf_logWhileRunning(const std::string& text)
{
    if (gf_stopRequested())
        return;
    lf_writeLine({}, text);
}

void gf_rotateBackups(const std::filesystem::path& path)
{
    namespace fs = std::filesystem;
    const std::string text = path.string();
    const auto dot = text.rfind('.');
    if (dot == std::string::npos)
        return;
    const fs::path older = text.substr(0, dot) + "0" + text.substr(dot);
    const fs::path oldest = text.substr(0, dot) + "00" + text.substr(dot);
    if (fs::exists(older))
        fs::copy_file(older, oldest, fs::copy_options::overwrite_existing);
    if (fs::exists(path))
        fs::copy_file(path, older, fs::copy_options::overwrite_existing);
}

void gf_openLog()
{
    const std::filesystem::path path = "Log.txt";
    gf_rotateBackups(path);
    bool opened = false;
    {
        std::lock_guard lock(g_logMutex);
        if (g_logFile.is_open())
            g_logFile.close();
        g_logFile.clear();
        g_logFile.open(path, std::ios::out | std::ios::trunc);
        opened = g_logFile.is_open();
    }
    if (!opened)
        throw std::runtime_error("Failed to write file " + path.string());
    gf_log(fmt::format("{} (utc) {} version {} for {}", gf_utcTimeText(gf_wallClockSeconds()), g_shortDisplayName,
                       g_programVersion.toString(), "MSFS 2020/2024"));
}

void gf_closeLog()
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open())
        g_logFile.close();
}

std::string gf_makeBanner(int width, int extra, bool leadingNewline, bool trailingNewline, std::string_view title)
{
    std::string result = leadingNewline ? "\n" : "";
    int n = width + extra;
    if (n % 2 != 0)
        ++n;
    const auto titleLength = static_cast<int>(title.size());
    if (title.empty()) {
        result.append(static_cast<std::size_t>(std::max(n, 0)), '*');
    } else if (n > titleLength + 2) {
        const auto stars = static_cast<std::size_t>(n / 2 - 1);
        result.append(stars, '*');
        result += ' ';
        result += title;
        result += ' ';
        result.append(stars, '*');
    } else {
        result = title;
    }
    if (trailingNewline)
        result += '\n';
    return result;
}

void gf_logIf(const std::string& text)
{
    if (LOG.value)
        gf_log(text);
}
