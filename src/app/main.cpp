// Process entry: one instance, the log in the program folder, then what this build can do.
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/utc_time.h"
#include "platform/single_instance.h"

#include <cstdio>
#include <fmt/format.h>

int main()
{
    gf_initDataPaths();
    const int instance = platform::acquireSingleInstance("Local\\$Tarnwick$");
    if (instance < 0)
        return -1;
    try {
        gf_openLog();
    } catch (const std::exception& e) {
        fmt::print(stderr, "{}\n", e.what());
        platform::releaseSingleInstance(instance);
        return 1;
    }
    const std::string report = fmt::format(
        "{} {}: log, folders, text files in any charset, time and half-hour schedules, great-circle geometry "
        "and version numbers are in place; per-user data folder {}",
        g_shortDisplayName, g_programVersion.toString(), g_dataFolder.string());
    gf_log(report);
    fmt::print("{}\n", report);
    platform::releaseSingleInstance(instance);
    return 0;
}
