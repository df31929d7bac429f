#include "aircraft/livery_processing.h"

#include "aircraft/dbase_lookup.h"
#include "aircraft/liveries_scanned.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_tables.h"
#include "aircraft/regcode_processing.h"
#include "aircraft/similar_types.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/text_utils.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <utility>

namespace {

SetLiveryCountHook g_setLiveryCount;

constexpr RECT g_headerRect{0, 28, 880, 112};

void lf_repaintHeader()
{
    if (const HWND window = g_parentWindow.load())
        InvalidateRect(window, &g_headerRect, TRUE);
}

void lf_enableCheckBox(const UiBoolParameter& option, bool enable)
{
    if (const HWND box = option.hWnd.load())
        EnableWindow(box, enable ? TRUE : FALSE);
}

// The option of a class that can be switched off for want of liveries, with its log line.
struct SwitchableClass {
    UiBoolParameter* option;
    const char* switchedOffLine;
};

const SwitchableClass* lf_switchableClass(SizeClass sizeClass)
{
    static const SwitchableClass light{&LIGHT_AIRCRAFT,
                                       "{} temporarily switched off because you do not have light aircraft installed"};
    static const SwitchableClass highPerf{
        &HIGH_PERF_AIRCRAFT, "{} temporarily switched off because you do not have High Perf aircraft installed"};
    static const SwitchableClass rotorcraft{
        &HELICOPTERS, "{} temporarily switched off because you do not have Helicopters installed"};
    switch (sizeClass) {
    case SizeClass::Light:
        return &light;
    case SizeClass::HighPerf:
        return &highPerf;
    case SizeClass::Rotorcraft:
        return &rotorcraft;
    default:
        return nullptr;
    }
}

std::vector<PaintedRegcode> lf_paintedRegcodes()
{
    std::vector<PaintedRegcode> painted;
    painted.reserve(g_liveryRecords.size());
    for (const auto& record : g_liveryRecords)
        painted.push_back({record.airl, record.type, record.title, record.atcid});
    return painted;
}

} // namespace

void gf_installLiveryCountHook(SetLiveryCountHook hook) { g_setLiveryCount = std::move(hook); }

void gf_showLiveryCount(std::uint64_t count)
{
    if (g_setLiveryCount)
        g_setLiveryCount(count);
}

void gf_processScannedLiveries()
{
    if (g_liveriesProcessed) {
        gf_log("Processing scanned liveries skipped; already done in previous start-up");
        g_liveryRecords.clear();
        return;
    }
    gf_installLiveryTables();
    gf_readLiveriesScanned();
    if (g_setLiveryCount)
        g_setLiveryCount(g_liveryRecords.size());
    lf_repaintHeader();

    auto& tables = g_liveryTables;
    gf_clearLiveryTables(); // nothing of an earlier build may stay next to the new one
    gf_buildLiveryTitles();
    gf_buildAirlineTables();
    gf_findInlineRegcodeClashes(lf_paintedRegcodes());
    gf_processRegcodes();
    gf_log(fmt::format("{} registration codes", tables.specialRegistrations.size()));
    gf_buildTypeTables();
    gf_log(fmt::format("{} airlines, {} pax aircraft models and {} cargo aircraft models", tables.liveryTitles.size(),
                       tables.typeTitles[0].size(), tables.typeTitles[1].size()));
    gf_buildSimilarModels();
    for (const SizeClass sizeClass : {SizeClass::Light, SizeClass::Buzjets, SizeClass::Large, SizeClass::Heavy,
                                      SizeClass::HighPerf, SizeClass::Rotorcraft})
        gf_summariseCategory(sizeClass);

    g_liveriesProcessed = true;
    lf_repaintHeader();
    g_liveryRecords.clear();
}

void gf_summariseCategory(SizeClass sizeClass)
{
    using TypeTitle = std::pair<std::string_view, std::string_view>;
    std::array<std::vector<TypeTitle>, 2> pairs; // passenger, cargo
    for (std::size_t table = 0; table < pairs.size(); ++table) {
        for (const auto& [type, titles] : g_liveryTables.typeTitles[table]) {
            if (gf_type2sizeClass(type) != sizeClass)
                continue;
            for (const auto title : titles)
                pairs[table].emplace_back(type, title);
        }
    }
    const auto paxCount = static_cast<std::uint64_t>(pairs[0].size());
    const auto cargoCount = static_cast<std::uint64_t>(pairs[1].size());
    const std::string_view name = gf_sizeClassName(sizeClass);
    const SwitchableClass* switchable = lf_switchableClass(sizeClass);

    if (paxCount == 0 && cargoCount == 0) {
        gf_log(fmt::format("Category {}: No livery found", name));
        if (switchable != nullptr) {
            UiBoolParameter& option = *switchable->option;
            if (option.value.load()) {
                option.value = false;
                gf_saveBoolParameter(option);
                gf_log(fmt::format(fmt::runtime(switchable->switchedOffLine), option.name));
            }
            gf_showCheckBox(option);
            lf_enableCheckBox(option, false);
        }
        return;
    }

    const std::string cargoPart =
        cargoCount == 0 ? std::string() : fmt::format(" and {} cargo liverie{}", cargoCount, gf_plural(cargoCount));
    gf_log(fmt::format("Category {}: {} pax liverie{}{}", name, paxCount, gf_plural(paxCount), cargoPart));

    std::vector<std::string> types;
    types.reserve(pairs[0].size() + pairs[1].size());
    for (const auto& list : pairs) {
        for (const auto& [type, title] : list)
            types.emplace_back(type);
    }
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    gf_logCategoryTypes(sizeClass == SizeClass::Light, sizeClass == SizeClass::Buzjets,
                        sizeClass == SizeClass::Rotorcraft, types);
    if (switchable != nullptr)
        lf_enableCheckBox(*switchable->option, true);
}

void gf_logCategoryTypes(bool light, bool buzjets, bool rotorcraft, const std::vector<std::string>& types)
{
    auto& tables = g_liveryTables;
    std::string line = "  ";
    int count = 0;
    for (const auto& type : types) {
        if (light)
            tables.lightLiveryTypes.push_back(type);
        else if (buzjets)
            tables.buzjetLiveryTypes.push_back(type);
        else if (rotorcraft)
            tables.rotorcraftLiveryTypes.push_back(type);
        line += type;
        line += ',';
        if (++count == 20) {
            line.pop_back();
            gf_log(line);
            line = "  ";
            count = 0;
        }
    }
    if (count >= 1) {
        line.pop_back();
        gf_log(line);
    }
}
