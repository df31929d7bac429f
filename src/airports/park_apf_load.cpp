// Loading the park airport's parking file and bringing the program up to date with it.
#include "airports/park_apf.h"

#include "airports/apf_download.h"
#include "airports/apf_locations.h"
#include "airports/fake_aircraft.h"
#include "airports/learned_apf.h"
#include "airports/park_airport_list.h"
#include "airports/park_data.h"
#include "airports/stand_neighbours.h"
#include "foundation/log.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"
#include "simlink/sim_state.h"

#include <algorithm>
#include <fmt/format.h>
#include <gsl/narrow>
#include <mutex>

namespace {

constexpr std::size_t lf_parkStandsReserve = 512;
// LEARN_SOFT is not for airports this well furnished with real traffic
constexpr std::int32_t lf_learnSoftMaxQf = 45;
constexpr std::size_t lf_learnSoftMaxStands = 20;
constexpr const char* lf_loaderName = "gf_readParkedFile";

void lf_enable(const UiControl& control, bool enabled)
{
    if (const ParkLoadHooks hooks = g_parkLoadHooks.get(); hooks.enableControl)
        hooks.enableControl(control, enabled);
}

// The learned file merged, or without one the parking percentage fixed at its default.
void lf_mergeLearned(const std::string& name, ParkApfInfo& params, PackedQf& qf, std::vector<Stand>& stands)
{
    const fs::path learned = gf_learnedApfPath(name, params.publisher, parkAirport.code);
    if (!gf_fileExists(learned)) {
        parking_percentage.value = parking_percentage.defaultValue;
        lf_enable(parking_percentage, false);
        gf_showIntParameter(parking_percentage);
        gf_logIndented(fmt::format("{:24}: {}%", parking_percentage.name, parking_percentage.value.load()));
        return;
    }
    bool handmade = false;
    gf_readLearned(learned, params, stands, handmade);
    g_parkHandmade = handmade;
    qf = gf_computeQf(stands);
    if (handmade)
        gf_log("A handmade airport file overruled the archived file!");
    if (PARK_FAKE.value)
        gf_fillFakeAircraft(gf_pathToUtf8(gf_pathFromUtf8(name).stem()), stands);
}

// Reads the file into `stands`: empty, or the error text of a refused file.
std::string lf_readApf(const std::string& name, ParkApfInfo& params, PackedQf& qf, std::vector<Stand>& stands)
{
    fs::path path = gf_pathFromUtf8(name);
    if (!name.starts_with("airports")) {
        path = g_airportsFolder / "park_airport.xml";
        if (std::string error = gf_downloadApf(name, path); !error.empty())
            return error;
    }
    g_parkHandmade = false;
    Apf doc;
    if (!doc.load_file(path.c_str()))
        return fmt::format("{}: could not load file: {}", name, gf_pathToUtf8(path));
    if (!gf_apfHasProvenance(doc))
        return fmt::format("{}: refused to load (copyright)", name);
    g_rtTrafficWeek = gf_getApfInt(doc, "RT_traffic_week").value_or(0);
    params.publisher = gf_getApfString(doc, "publisher").value_or(std::string());
    const std::optional<std::int32_t> altitude = gf_getApfInt(doc, "altitude");
    if (!altitude)
        throw brv::UserErrorException(65, "Parameter " + std::string("altitude") + " not found");
    params.altitude = *altitude;
    {
        std::lock_guard lock(g_parkDataMutex);
        parkAirport.alt = *altitude;
    }
    params.airport_name = gf_getApfString(doc, "airport_name").value_or(std::string());
    gf_readApfStands(doc, stands);
    gf_refuseCrowdedStands(stands, 0, name);
    qf = gf_packQf(gf_getApfInt(doc, "Qf_real").value_or(-1), gf_getApfInt(doc, "Qf_soft").value_or(-1));
    lf_mergeLearned(name, params, qf, stands);
    gf_numberStands(stands);
    const fs::path governing =
        g_parkHandmade ? gf_learnedApfPath(name, params.publisher, parkAirport.code) : gf_pathFromUtf8(name);
    gf_log(fmt::format("Airport file read from '{}' for {}", gf_pathToUtf8(governing), params.airport_name));
    gf_logIndented(fmt::format("{:24}: {}", "publisher", params.publisher));
    gf_logIndented(fmt::format("{:24}: {} ft", "altitude", params.altitude));
    gf_logIndented(fmt::format("{:24}: {}", "num_parkpos", stands.size()));
    gf_logIndented(fmt::format("{:24}: {}", "quality factor", gf_formatQf(qf)));
    gf_logIndented(fmt::format("{:24}: {}", "RT traffic week", g_rtTrafficWeek.load()));
    return {};
}

// LEARN_SOFT is allowed unless the airport is well furnished with real traffic.
void lf_checkLearnSoft()
{
    const bool allowed = !(gf_qfReal(g_parkQf) >= lf_learnSoftMaxQf && gf_parkStandCount() >= lf_learnSoftMaxStands);
    g_learnSoftAllowed = allowed;
    if (!allowed && LEARN_SOFT.value) {
        LEARN_SOFT.value = false;
        gf_showCheckBox(LEARN_SOFT);
        g_apfParamsChanged = true;
    }
    // disabled also when it was off already: it may not be switched on here
    lf_enable(LEARN_SOFT, allowed);
}

// The park airport first in the park-airport list, with the stand the user aircraft is at.
void lf_putFirstInList()
{
    if (!gf_userPositionKnown())
        return;
    LatLon position;
    {
        std::lock_guard lock(g_userDataMutex);
        position = LatLon{g_userData.latitude, g_userData.longitude};
    }
    const std::string stand = gf_getNearestStandName(position);
    std::lock_guard lock(g_parkDataMutex);
    const auto entry = std::find_if(g_myParkAirports.begin(), g_myParkAirports.end(),
                                    [](const MyParkAirport& e) { return e.code == parkAirport.code; });
    if (entry == g_myParkAirports.end()) {
        g_myParkAirports.push_front(MyParkAirport{parkAirport.code, stand, parkAirport.lat, parkAirport.lon, 0.0});
    } else if (entry != g_myParkAirports.begin()) {
        // moved rather than listed twice: its remembered stand stays unless the user is at one
        g_myParkAirports.splice(g_myParkAirports.begin(), g_myParkAirports, entry);
        if (!stand.empty())
            g_myParkAirports.front().stand = stand;
    } else if (!stand.empty() && stand != entry->stand) {
        entry->stand = stand;
    } else {
        return;
    }
    gf_writeMyParkAirports();
}

// The stand the list remembers at the park airport is kept free, when the airport has it.
void lf_reserveStand()
{
    std::lock_guard lock(g_parkDataMutex);
    std::string reserved;
    if (!g_myParkAirports.empty() && g_myParkAirports.front().code == parkAirport.code &&
        !g_myParkAirports.front().stand.empty()) {
        const std::string& name = g_myParkAirports.front().stand;
        const bool exists =
            std::any_of(g_parkStands.begin(), g_parkStands.end(), [&name](const Stand& s) { return s.name == name; });
        if (exists)
            reserved = name;
        g_parkFileDisplay.reservedStandOk = exists;
    }
    g_reservedStand.set(reserved);
    g_parkFileDisplay.reservedStand = std::move(reserved);
}

// Nothing of an earlier airport's file stays on show, whatever way this load ends.
void lf_clearFileDisplay()
{
    g_parkFileDisplay.ok = false;
    g_parkFileDisplay.airportName.clear();
    g_parkFileDisplay.publisher.clear();
    g_parkFileDisplay.handmade = false;
    g_parkFileDisplay.qualityFactor.clear();
    g_parkFileDisplay.standCount = 0;
    g_parkFileDisplay.rtTrafficWeek = 0;
    gf_showParkFileDisplay();
}

} // namespace

std::string gf_readApf(const std::string& name, ParkApfInfo& params, PackedQf& qf)
{
    if (name.empty())
        return fmt::format("{}: xml is empty", "gf_readApf");
    if (!gf_parkAirportSet())
        return fmt::format("{}: no park airport set", "gf_readApf");
    g_learnedFileHeld = false;
    std::vector<Stand> stands;
    stands.reserve(lf_parkStandsReserve);
    std::string result;
    try {
        result = lf_readApf(name, params, qf, stands);
    } catch (const brv::UserErrorException&) {
        gf_replaceParkStands(std::move(stands)); // what was read stays
        throw;
    } catch (const std::exception& e) {
        result = fmt::format("{}: {}", "gf_readApf", e.what());
    }
    const std::size_t count = stands.size();
    stands.shrink_to_fit();
    gf_replaceParkStands(std::move(stands));
    if (!result.empty())
        return result;
    g_parkFileDisplay.standCount = gsl::narrow<std::int32_t>(count);
    g_parkFileDisplay.publisher = params.publisher;
    g_parkFileDisplay.handmade = g_parkHandmade;
    g_parkFileDisplay.qualityFactor = gf_formatQf(qf);
    g_parkFileDisplay.rtTrafficWeek = g_rtTrafficWeek;
    gf_showParkFileDisplay();
    g_parkAirportLoaded = true;
    lf_enable(g_flushStaticButton, true);
    g_apfParamsChanged = false;
    if (const ParkLoadHooks hooks = g_parkLoadHooks.get(); hooks.setFeedElevation)
        hooks.setFeedElevation(static_cast<double>(params.altitude));
    return count == 0 ? "no stands found" : "";
}

std::string gf_readParkedFile()
{
    gf_replaceParkStands({});
    lf_clearFileDisplay();
    const std::string code = parkAirport.code;
    const std::string name = gf_findApfReference(code);
    if (name.empty())
        return fmt::format("{} {} not found", lf_loaderName, code);
    if (name.find("unknown") != std::string::npos)
        return fmt::format("{} {} has publisher:{}, {}", lf_loaderName, code, "unknown", name);
    g_parkApfInfo.reference = name;
    g_parkApfInfo.airport_name.clear();
    g_parkApfInfo.publisher.clear();
    g_parkApfInfo.altitude = 0;
    std::string result = gf_readApf(name, g_parkApfInfo, g_parkQf);
    if (result.empty()) {
        lf_checkLearnSoft();
        lf_putFirstInList();
        lf_reserveStand();
    }
    g_parkFileDisplay.ok = result.empty();
    g_parkFileDisplay.airportName = g_parkApfInfo.airport_name;
    gf_showParkFileDisplay();
    g_learnedUpdates = 0;
    return result;
}
