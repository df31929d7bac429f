#include "simlink/user_aircraft.h"

#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/user_error.h"
#include "simlink/sim_hooks.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_request_error.h"
#include "simlink/sim_state.h"

#include <array>
#include <cstring>
#include <fmt/format.h>
#include <mutex>
#include <string_view>

std::atomic<bool> g_newUserData{false};
std::atomic<bool> g_userOnGround{false};
std::atomic<bool> g_userOnGroundKnown{false};
std::atomic<std::int64_t> g_simEpochTime{0};

namespace {

constexpr std::size_t lf_maxTitleLength = 48;
constexpr double lf_teleportNm = 10.0;

// written on the SimClient thread, read from any thread
std::mutex g_userAcMutex;
LatLon g_userPrevPos;
std::string g_userStandName;
std::string g_userTitle;
std::optional<double> g_userHalfWingspan;
SizeClass g_userSizeClass = SizeClass::Light;

std::int64_t lf_floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// seconds since 1970 of the zulu year (a signed 16-bit number), day of year and time of day
std::int64_t lf_epochSeconds(const UserAcData& d)
{
    const std::int64_t y = static_cast<std::int16_t>(d.zuluYear) - 1;
    const std::int64_t days =
        d.zuluDayOfYear - 719163 + y * 365 + lf_floorDiv(y, 4) - lf_floorDiv(y, 100) + lf_floorDiv(y, 400);
    return days * 86400 + d.zuluTime;
}

// the text of a string member at the start of the data, at most `capacity` bytes
std::string lf_text(const SIMCONNECT_RECV_SIMOBJECT_DATA& m, std::size_t capacity)
{
    const std::size_t size = std::min(gf_simObjectDataSize(m), capacity);
    const auto* text = reinterpret_cast<const char*>(gf_simObjectData(m));
    return std::string(text, strnlen(text, size));
}

double lf_halfWingspanOr(std::string_view type, double fallback)
{
    const double half = gf_getHalfWingspan(type);
    return half != 0.0 ? half : fallback;
}

void lf_onOnGround(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    if (!gf_userPositionKnown()) {
        g_newUserData = true;
        return;
    }
    if (gf_simObjectDataSize(m) < sizeof(std::int64_t))
        return;
    std::int64_t value = 0;
    std::memcpy(&value, gf_simObjectData(m), sizeof(value));
    g_userOnGround = static_cast<std::uint32_t>(value) != 0;
    g_userOnGroundKnown = true;
    g_newUserData = true;
}

void lf_onUserData(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    if (gf_simObjectDataSize(m) < sizeof(UserAcData))
        return;
    UserAcData data{};
    std::memcpy(&data, gf_simObjectData(m), sizeof(data));
    if (data.altitude < 0.0)
        data.altitude = 0.0;
    {
        std::lock_guard lock(g_userDataMutex);
        g_userData = data;
    }
    const LatLon position{data.latitude, data.longitude};
    LatLon previous;
    {
        std::lock_guard lock(g_userAcMutex);
        previous = g_userPrevPos;
        g_userPrevPos = position;
    }
    if (gf_positionSet(previous.lat, previous.lon) && gf_positionSet(position.lat, position.lon) &&
        gf_distanceNm(previous, position) > lf_teleportNm) {
        gf_log("Teleport");
        gf_requestStop(RunState::NewFlight, 45);
    }

    const SimLinkHooks hooks = gf_simLinkHooks();
    const std::string stand = hooks.getNearestStandName ? hooks.getNearestStandName(position.lat, position.lon) : "";
    std::string shownBefore;
    {
        std::lock_guard lock(g_userAcMutex);
        shownBefore = g_userStandName;
        g_userStandName = stand;
    }
    if (hooks.setUserStandText && ((!stand.empty() && stand != shownBefore) || (stand.empty() && !shownBefore.empty())))
        hooks.setUserStandText(stand);

    g_simEpochTime = lf_epochSeconds(data);
    g_userObjectId = m.dwObjectID;
}

void lf_onUserTitle(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    std::string title = lf_text(m, gf_simObjectDataSize(m));
    if (title.empty()) {
        gf_log("! Title of your aircraft is empty?");
        return;
    }
    title = gf_cutUtf8(title, lf_maxTitleLength);
    {
        std::lock_guard lock(g_userAcMutex);
        if (title == g_userTitle)
            return;
        g_userTitle = title;
    }
    if (const auto hooks = gf_simLinkHooks(); hooks.setUserAircraftText)
        hooks.setUserAircraftText(title);
    gf_logIndented("SimConnect: User aircraft title: " + title);
}

// the ATC model as the database names the type; the first rule that applies wins
std::string lf_normalisedModel(const std::string& model, const std::string& title)
{
    if (model == "A350-900")
        return "A359";
    if (model == "N738B")
        return "B38M";
    if (model == "777")
        return "772";
    if (model == "A330-200 (RR)")
        return "A332";
    if (const auto p = model.find(".0.text"); p != std::string::npos) {
        for (std::size_t n = 4; n >= 2; --n) {
            if (n > p)
                continue;
            const std::string candidate = model.substr(p - n, n);
            if (gf_getHalfWingspan(candidate) != 0.0)
                return candidate;
        }
        return model;
    }
    if (model.size() >= 5 && model.rfind("$$:", 0) == 0)
        return model.substr(3);
    if (model == "737") {
        if (title.find("DG 737-800") != std::string::npos)
            return "B738";
        if (title.find("DG 737-700") != std::string::npos)
            return "B737";
        if (title.find("DG 737-600") != std::string::npos)
            return "B736";
        if (title.find("DG 737-900") != std::string::npos)
            return "B739";
    }
    return model;
}

void lf_setWingspan(double half, SizeClass sizeClass)
{
    std::lock_guard lock(g_userAcMutex);
    g_userHalfWingspan = half;
    g_userSizeClass = sizeClass;
}

void lf_onUserModel(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    const SimLinkHooks hooks = gf_simLinkHooks();
    const double maxHalf = g_dbase.maxHalfWingspan;
    std::string model = lf_text(m, 32);
    if (model.empty()) {
        if (hooks.setUserAircraftText)
            hooks.setUserAircraftText("Unknown (encrypted?) aircraft");
        gf_showStatus("171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead", true);
        std::lock_guard lock(g_userAcMutex);
        g_userHalfWingspan = lf_halfWingspanOr("CRJ7", maxHalf);
        return;
    }
    gf_logIndented(fmt::format("model raw: {}", model));
    const std::string title = gf_userTitle();
    model = lf_normalisedModel(model, title);
    std::string logText = "SimConnect: User aircraft model: " + model;

    if (model.find("camerapod") != std::string::npos || model.find("Crew Vessel") != std::string::npos) {
        if (hooks.setUserWingspanKnown)
            hooks.setUserWingspanKnown(true);
        lf_setWingspan(gf_getHalfWingspan("E190"), SizeClass::Light);
        gf_logIndented(logText);
        return;
    }

    double half = model.size() < 5 ? gf_getHalfWingspan(model) : maxHalf;
    bool found = half != maxHalf;
    if (!found && title.size() >= 13) {
        static constexpr std::array<std::pair<std::string_view, std::string_view>, 3> titles{
            {{"Aerosoft A319", "A319"}, {"Aerosoft A320", "A320"}, {"Aerosoft A321", "A321"}}};
        for (const auto& [start, type] : titles) {
            if (title.compare(0, 13, start) != 0)
                continue;
            model = type;
            logText = "SimConnect: User aircraft model deduced from title: " + model;
            const double lookedUp = gf_getHalfWingspan(model);
            found = lookedUp != 0.0;
            half = found ? lookedUp : maxHalf;
            break;
        }
    }
    if (found) {
        if (hooks.setUserWingspanKnown)
            hooks.setUserWingspanKnown(true);
        logText += fmt::format(", half wing span: {:.1F} meter", half * 1852.0);
    } else {
        if (hooks.setUserWingspanKnown)
            hooks.setUserWingspanKnown(false);
        gf_showStatus("User aircraft wing span unknown, max is taken instead, please report in my Forum!", true);
    }
    const SizeClass sizeClass = gf_type2sizeClass(model);
    lf_setWingspan(half, sizeClass);
    logText += fmt::format(", category: {}", gf_sizeClassName(sizeClass));
    gf_logIndented(logText);
}

} // namespace

UserAcData gf_requestUserData()
{
    std::lock_guard lock(g_simConnectMutex);
    if (!g_simRequestError &&
        SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_POSITION, DEF_USER_AC, SIMCONNECT_OBJECT_ID_USER,
                                          SIMCONNECT_PERIOD_ONCE) < 0) {
        gf_logError("SimConnect request user ac position fails");
        gf_onSimConnectRequestError();
    }
    std::lock_guard dataLock(g_userDataMutex);
    return g_userData;
}

void gf_requestUserTitleAndModel()
{
    std::lock_guard lock(g_simConnectMutex);
    if (SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_TITLE, DEF_TITLE, SIMCONNECT_OBJECT_ID_USER,
                                          SIMCONNECT_PERIOD_ONCE) < 0) {
        gf_logError("SimConnect request user ac title fails");
        gf_onSimConnectRequestError();
    }
    if (SimConnect_RequestDataOnSimObject(g_hSimConnect, REQ_USER_AC_MODEL, DEF_ATC_MODEL, SIMCONNECT_OBJECT_ID_USER,
                                          SIMCONNECT_PERIOD_ONCE) < 0) {
        gf_logError("SimConnect reques user ac model fails");
        gf_onSimConnectRequestError();
    }
}

std::string gf_findUserStand()
{
    LatLon position;
    {
        std::lock_guard lock(g_userDataMutex);
        position = LatLon{g_userData.latitude, g_userData.longitude};
    }
    const SimLinkHooks hooks = gf_simLinkHooks();
    return hooks.getNearestStandName ? hooks.getNearestStandName(position.lat, position.lon) : std::string();
}

void gf_onUserAcData(const SIMCONNECT_RECV_SIMOBJECT_DATA& m)
{
    switch (m.dwRequestID) {
    case REQ_AC_GND_AIR:
        lf_onOnGround(m);
        break;
    case REQ_USER_AC_POSITION:
        lf_onUserData(m);
        break;
    case REQ_USER_AC_TITLE:
        lf_onUserTitle(m);
        break;
    case REQ_USER_AC_MODEL:
        try {
            lf_onUserModel(m);
        } catch (const brv::UserErrorException&) {
            throw;
        } catch (const std::exception&) {
            throw brv::UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
        }
        break;
    default:
        break;
    }
}

std::string gf_userTitle()
{
    std::lock_guard lock(g_userAcMutex);
    return g_userTitle;
}

std::string gf_userStandName()
{
    std::lock_guard lock(g_userAcMutex);
    return g_userStandName;
}

std::optional<double> gf_userHalfWingspan()
{
    std::lock_guard lock(g_userAcMutex);
    return g_userHalfWingspan;
}

SizeClass gf_userSizeClass()
{
    std::lock_guard lock(g_userAcMutex);
    return g_userSizeClass;
}

void gf_resetUserAcState()
{
    g_newUserData = false;
    g_userOnGround = false;
    g_userOnGroundKnown = false;
    g_simEpochTime = 0;
    std::lock_guard lock(g_userAcMutex);
    g_userPrevPos = LatLon{};
    g_userStandName.clear();
    g_userTitle.clear();
    g_userHalfWingspan.reset();
    g_userSizeClass = SizeClass::Light;
}
