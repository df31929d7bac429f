#include "airports/learned_apf.h"

#include "airports/apf_file.h"
#include "airports/learned_copies.h"
#include "airports/stand_limit.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/range.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fmt/format.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>

namespace {

// a stand made by hand needs a position away from (0, 0)
constexpr double lf_manualMinDeg = 0.0001;

// three times a large airport's learned file: 500 stands x 100 options x 110 bytes = 5.5 MB
constexpr std::uintmax_t lf_maxLearnedBytes = 16u << 20;
constexpr const char* lf_allCopiesTaken = "and is not written over in this visit: *.0.xml to *.9.xml are taken";

// The half hours of a stand's options by aircraft, day and kind: an option of the learned file is
// taken unless one of the same aircraft, day and kind shares a half hour with it.
class OptionHours {
public:
    explicit OptionHours(const std::vector<StandOption>& options)
    {
        for (const StandOption& option : options)
            m_hours[lf_key(option)] |= option.hh;
    }
    // True when taken: its half hours then count for the options after it.
    bool take(const StandOption& option)
    {
        HalfHourBitset& hours = m_hours[lf_key(option)];
        if ((hours & option.hh).any())
            return false;
        hours |= option.hh;
        return true;
    }

private:
    static std::string lf_key(const StandOption& o)
    {
        return fmt::format("{} {} {}:{}{}:{}{}", o.day, o.real, o.reg.size(), o.reg, o.airl.size(), o.airl, o.type);
    }
    std::unordered_map<std::string, HalfHourBitset> m_hours;
};

template <class T>
void lf_logApplied(std::string_view key, const T& value)
{
    gf_logIndented(fmt::format("{:24}: {}", key, value));
}

void lf_applyBool(const std::optional<bool>& value, UiBoolParameter& option)
{
    if (!value)
        return;
    option.value = *value;
    gf_showCheckBox(option);
    lf_logApplied(option.name, *value);
}

// The options the learned file keeps for its airport, in the order the file's readers apply them.
void lf_applyOptions(const Apf& doc)
{
    const ParkLoadHooks hooks = g_parkLoadHooks.get();
    lf_applyBool(gf_getApfBool(doc, g_learnSoftKey), LEARN_SOFT);
    // absent: MAX_LIVE_SEL stays (no value would leave it outside its choices)
    if (const auto maxLive = gf_getApfInt(doc, g_maxLiveKey)) {
        MAX_LIVE_SEL.value = MAX_LIVE_SEL.clamped(gf_snapMaxLive(*maxLive));
        gf_selectChoice(MAX_LIVE_SEL);
        lf_logApplied(g_maxLiveKey, MAX_LIVE_SEL.value.load());
    }
    const auto range = gf_getApfInt(doc, g_lateralRangeKey);
    if (range) {
        gf_setRange(gf_snapRange(*range));
        if (hooks.enableControl) // while AUTO_RANGE is on the automatic range governs RANGE
            hooks.enableControl(RANGE, !AUTO_RANGE.value);
        lf_logApplied(g_lateralRangeKey, RANGE.value.load());
    }
    if (const auto autoRange = gf_getApfBool(doc, g_autoRangeKey)) {
        lf_applyBool(autoRange, AUTO_RANGE);
        if (hooks.switchAutoRange) // off: the airport's range just taken stays
            hooks.switchAutoRange(*autoRange, range.has_value());
    }
    lf_applyBool(gf_getApfBool(doc, g_parkFakeKey), PARK_FAKE);
    // older learned files hold 28 here: no boolean, WEEK stays
    lf_applyBool(gf_getApfStrictBool(doc, g_weekKey), WEEK);
    lf_applyBool(gf_getApfBool(doc, g_parkSoftKey), PARK_SOFT);
    const auto percentage = gf_getApfInt(doc, g_parkingPercentageKey);
    parking_percentage.value = percentage ? parking_percentage.clamped(*percentage) : parking_percentage.defaultValue;
    gf_showIntParameter(parking_percentage);
    if (percentage)
        lf_logApplied(g_parkingPercentageKey, parking_percentage.value.load());
    lf_applyBool(gf_getApfBool(doc, g_initialLoadOnlyKey), INITIAL_LOAD_ONLY);
    if (const auto maxFit = gf_getApfInt(doc, g_maxFitKey)) {
        MAX_FIT.value = MAX_FIT.clamped(*maxFit);
        MAX_FIT_FL.value = static_cast<float>(MAX_FIT.value) * 0.5F + 0.5F;
        gf_showFloatParameter(MAX_FIT_FL);
        gf_logIndented(fmt::format("{:24}: {} (max number of half hours, is {} hrs decimal)", g_maxFitKey,
                                   MAX_FIT.value.load(), gf_float2string(MAX_FIT_FL.value)));
    }
    if (const auto parkTrafficOnly = gf_getApfBool(doc, g_rtParkTrafficOnlyKey)) {
        lf_applyBool(parkTrafficOnly, RT_PARKTRAFFIC_ONLY);
        if (hooks.updateParkTrafficControls)
            hooks.updateParkTrafficControls();
    }
}

// Radius and cargo corrections, and the options the archived stand lacks; false when a
// correction was refused.
bool lf_applyLearnedParkpos(const pugi::xml_node& parkpos, const std::string& path, Stand& stand,
                            OptionHours& hours, HalfHourLog& hoursLog)
{
    bool applied = true;
    if (parkpos.attribute("radius_change").as_bool()) {
        // refused as a stand made by hand with such a radius is
        if (const double metres = parkpos.attribute("radius").as_double(); !(metres > 0.0)) {
            gf_logError(fmt::format("learned radius_change of standid {} misses a correct radius in {}", stand.name,
                                    path));
            applied = false;
        } else {
            stand.radius = gf_finiteOrZero(metres) * g_nmPerMetre;
            stand.radius_change = true;
        }
    }
    if (parkpos.attribute("cargo_change").as_bool()) {
        stand.cargo = parkpos.attribute("cargo").as_bool();
        stand.cargo_change = true;
    }
    std::int32_t next = stand.options.empty() ? 1 : stand.options.back().optionId + 1;
    for (const pugi::xml_node& opt : parkpos.children("opt")) {
        StandOption option = gf_readStandOption(opt, next, 0, hoursLog);
        if (hours.take(option)) {
            stand.options.push_back(std::move(option));
            ++next;
        }
    }
    return applied;
}

// What became of a learned parkpos. One whose stand the airport's file lacks (renamed, or not
// loaded) counts as refused: the next save would drop its options.
enum class Merge { applied, refused, pastLimit };

// The option hours of each stand the learned file adds options to, by its place in the list.
using StandHours = std::unordered_map<std::size_t, OptionHours>;

Merge lf_mergeParkpos(const pugi::xml_node& parkpos, const std::string& path, std::vector<Stand>& stands,
                      StandHours& standHours, HalfHourLog& hoursLog)
{
    const std::string id = parkpos.attribute("id").as_string();
    const auto named = std::find_if(stands.begin(), stands.end(), [&id](const Stand& s) { return s.name == id; });
    if (!parkpos.attribute("manual").as_bool()) {
        if (named == stands.end()) {
            gf_log(fmt::format("learned stand {} in {} not found?", id, path));
            return Merge::refused;
        }
        // a stand named again by a later element goes on with its hours
        const auto place = static_cast<std::size_t>(named - stands.begin());
        auto hours = standHours.find(place);
        if (hours == standHours.end())
            hours = standHours.emplace(place, OptionHours(named->options)).first;
        return lf_applyLearnedParkpos(parkpos, path, *named, hours->second, hoursLog) ? Merge::applied
                                                                                       : Merge::refused;
    }
    if (named != stands.end()) {
        gf_logError(fmt::format("manually created standid {} already exists in {}", id, path));
        return Merge::refused;
    }
    const double latitude = parkpos.attribute("latitude").as_double();
    const double longitude = parkpos.attribute("longitude").as_double();
    // a negative or unreadable radius is as useless as none
    if ((std::abs(latitude) <= lf_manualMinDeg && std::abs(longitude) <= lf_manualMinDeg) ||
        !(parkpos.attribute("radius").as_double() > 0.0)) {
        gf_logError(fmt::format("manually created standid {} misses correct attributes in {}", id, path));
        return Merge::refused;
    }
    // counted against the same limit as the airport's own stands
    if (stands.size() >= g_maxAirportStands)
        return Merge::pastLimit;
    const std::size_t before = stands.size();
    gf_readParkpos(parkpos, id, 0, stands, hoursLog);
    if (stands.size() == before) // its position was refused
        return Merge::refused;
    stands.back().manual = true;
    return Merge::applied;
}

// The learned file's stands merged into the airport's; true when anything was refused.
bool lf_mergeStands(const Apf& doc, const std::string& path, std::vector<Stand>& stands)
{
    HalfHourLog hoursLog;
    StandHours standHours;
    bool refused = false;
    std::size_t pastLimit = 0;
    for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos")) {
        const Merge merge = lf_mergeParkpos(parkpos, path, stands, standHours, hoursLog);
        refused = refused || merge != Merge::applied;
        pastLimit += merge == Merge::pastLimit ? 1 : 0;
    }
    if (pastLimit > 0)
        gf_logError(fmt::format("{} manually created stands refused in {}: more stands than any airport has ({})",
                                pastLimit, path, g_maxAirportStands));
    return refused;
}

// One line in the log and the status line.
void lf_tell(const std::string& text)
{
    gf_logError(text);
    gf_showStatus(text, false);
}

// The learned file as it is kept in a copy beside it (EDDF.0.xml ... EDDF.9.xml), as `what` says
// why; without a copy it is not written over in this visit, also when the copy fails.
void lf_keepCopy(const fs::path& path, const std::string& pathText, std::string_view what, std::string_view detail)
{
    g_learnedFileHeld = true; // also when the copy raises
    const LearnedCopy copy = gf_keepLearnedCopy(path);
    g_learnedFileHeld = copy.outcome == LearnedCopy::Outcome::allTaken;
    if (g_learnedFileHeld) {
        lf_tell(fmt::format("{} {}, {}{}", pathText, what, lf_allCopiesTaken, detail));
        return;
    }
    const char* kept = copy.outcome == LearnedCopy::Outcome::made ? "saved as" : "kept already as";
    gf_log(fmt::format("{} {}, {} *.{}.xml{}", pathText, what, kept, copy.number, detail));
}

// A file too large to be a learned file is not read; moved aside, the next save cannot write it over.
bool lf_refusedUnread(const fs::path& path, const std::string& pathText)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size <= lf_maxLearnedBytes)
        return false;
    const std::string refusal =
        fmt::format("{} refused unread: {} bytes, more than {}", pathText, size, lf_maxLearnedBytes);
    g_learnedFileHeld = true; // also when the rename raises
    const LearnedCopy copy = gf_moveLearnedAside(path);
    g_learnedFileHeld = copy.outcome == LearnedCopy::Outcome::allTaken;
    lf_tell(g_learnedFileHeld ? fmt::format("{}, {}", refusal, lf_allCopiesTaken)
                              : fmt::format("{}, moved to *.{}.xml", refusal, copy.number));
    return true;
}

} // namespace

std::int32_t gf_snapMaxLive(std::int32_t value)
{
    if (value == 0)
        return 0;
    // the upper end of each band and the choice it gives
    static constexpr std::array<std::pair<std::int32_t, std::int32_t>, 5> bands{
        {{17, 10}, {37, 25}, {62, 50}, {87, 75}, {299, 100}}};
    if (value > 0)
        for (const auto& [upper, choice] : bands)
            if (value <= upper)
                return choice;
    return 500;
}

void gf_readLearned(const fs::path& path, const ParkApfInfo& params, std::vector<Stand>& stands, bool& handmade)
{
    const std::string pathText = gf_pathToUtf8(path);
    bool parsed = false;
    bool refused = false;
    std::size_t read = stands.size(); // the stands from here on are the file's
    try {
        if (lf_refusedUnread(path, pathText))
            return;
        Apf doc;
        if (const pugi::xml_parse_result result = doc.load_file(path.c_str()); !result) {
            lf_keepCopy(path, pathText, "found, but could not be loaded", fmt::format(": {}", result.description()));
            return;
        }
        parsed = true;
        gf_log(fmt::format("Read from learned airport file: '{}'", pathText));
        if (!gf_apfHasProvenance(doc))
            throw std::runtime_error("no author, date or version: the file is not read");
        const std::string name = gf_getApfString(doc, "airport_name").value_or(std::string());
        if (name != params.airport_name)
            gf_showStatus(fmt::format("Warning: learned file airport name: '{}' differs from archived file airport name: '{}'",
                                      name, params.airport_name),
                          true);
        gf_checkApfStandCount(doc); // refused whole, its options too
        lf_applyOptions(doc);
        if (const auto value = gf_getApfString(doc, "handmade")) {
            handmade = true;
            read = 0;
            gf_readApfStands(doc, stands);
            gf_logIndented(fmt::format("{:24}: {}", "handmade", *value));
        } else {
            handmade = false;
            refused = lf_mergeStands(doc, pathText, stands);
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "gf_readLearned", e.what()));
        refused = parsed;
    }
    try {
        // also the stands read before a refusal ended the merge, and every stand after one whose
        // circle the file changed
        const auto resized = std::find_if(stands.begin(), stands.end(), [](const Stand& s) { return s.radius_change; });
        const auto from = std::min(read, static_cast<std::size_t>(resized - stands.begin()));
        refused = gf_refuseCrowdedStands(stands, from, pathText) > 0 || refused;
        // the next save writes only what was taken: the file as it was stays beside it
        if (refused)
            lf_keepCopy(path, pathText, "had refused stands or changes", "");
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "gf_readLearned", e.what()));
    }
}
