#include "aircraft/livery_summary.h"

#include "aircraft/livery_match_hooks.h"
#include "aircraft/livery_tables.h"
#include "foundation/log.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

void gf_logLiveryMatchingSummary()
{
    const auto& counts = g_liveryTables.matchCounts;
    if (std::all_of(counts.begin(), counts.end(), [](const auto& count) { return count.load() < 1; }))
        return;
    constexpr std::string_view title = "live traffic livery matching summary";
    constexpr int titleLength = static_cast<int>(title.size());
    std::vector<std::string> lines;
    lines.reserve(256);
    lines.push_back(gf_makeBanner(100 - titleLength, 0, true, false, title));
    lines.emplace_back("Matches at step: ");
    for (int step = 1; step <= g_matchStepCount; ++step)
        lines.push_back(fmt::format("  {}: {}", step, counts[static_cast<std::size_t>(step - 1)].load()));
    const auto refused = gf_refusedLiveryLines();
    if (!refused.empty()) {
        lines.push_back(fmt::format("\nCould not be created by {}:", "MSFS"));
        lines.insert(lines.end(), refused.begin(), refused.end());
    }
    lines.push_back(gf_makeBanner(100 - titleLength, titleLength, false, true, ""));
    for (const auto& line : lines)
        gf_log(line);
}
