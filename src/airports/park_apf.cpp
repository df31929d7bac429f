// The park airport's file: what the loader keeps of it, and the checks and stand reading that
// the parking file and a handmade learned file share.
#include "airports/park_apf.h"

#include "airports/stand_neighbours.h"
#include "foundation/log.h"
#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/user_error.h"

#include <fmt/format.h>
#include <iterator>
#include <stdexcept>
#include <unordered_set>

ParkApfInfo g_parkApfInfo;
PackedQf g_parkQf = gf_packQf(-1, -1);
std::atomic<std::int32_t> g_rtTrafficWeek{0};
std::atomic<bool> g_learnSoftAllowed{true};
SharedText g_reservedStand;
std::atomic<std::uint32_t> g_learnedUpdates{0};
std::atomic<bool> g_apfParamsChanged{false};
std::atomic<bool> g_learnedFileHeld{false};
ParkFileDisplay g_parkFileDisplay;
HookSet<ParkLoadHooks> g_parkLoadHooks;

bool gf_apfHasProvenance(const Apf& doc)
{
    // each is read: the meta reader keeps what it finds
    const bool author = gf_readMetaInfo(doc, g_metaAuthor);
    const bool date = gf_readMetaInfo(doc, g_metaDate);
    const bool version = gf_readMetaInfo(doc, g_metaVersion);
    return author && date && version;
}

void gf_checkApfStandCount(const Apf& doc)
{
    const auto parkpos = doc.child("parkpositions").children("parkpos");
    if (const auto count = static_cast<std::size_t>(std::distance(parkpos.begin(), parkpos.end()));
        count > g_maxAirportStands)
        throw std::length_error(
            fmt::format("{} parking positions, more than any airport has ({})", count, g_maxAirportStands));
}

void gf_readApfStands(const Apf& doc, std::vector<Stand>& stands)
{
    gf_checkApfStandCount(doc);
    stands.clear();
    std::unordered_set<std::string> seen;
    HalfHourLog hoursLog;
    for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos")) {
        std::string id = parkpos.attribute("id").as_string();
        if (!seen.insert(id).second)
            throw brv::UserErrorException(94, fmt::format("Parking position {} appears more than once?", id));
        gf_readParkpos(parkpos, id, 1, stands, hoursLog);
    }
}

std::size_t gf_refuseCrowdedStands(std::vector<Stand>& stands, std::size_t from, const std::string& file)
{
    const std::size_t removed = gf_removeCrowdedStands(stands, from);
    if (removed > 0)
        gf_logError(fmt::format("{} parking positions in {} not loaded: each overlaps more than {} read before it",
                                removed, file, g_maxOverlappedStands));
    return removed;
}

void gf_showParkFileDisplay()
{
    if (const ParkLoadHooks hooks = g_parkLoadHooks.get(); hooks.showParkFile)
        hooks.showParkFile(g_parkFileDisplay);
}

void gf_resetParkApf()
{
    g_parkApfInfo = ParkApfInfo{};
    g_parkQf = gf_packQf(-1, -1);
    g_rtTrafficWeek = 0;
    g_learnSoftAllowed = true;
    g_reservedStand.set({});
    g_learnedUpdates = 0;
    g_apfParamsChanged = false;
    g_learnedFileHeld = false;
    g_parkFileDisplay = ParkFileDisplay{};
}
