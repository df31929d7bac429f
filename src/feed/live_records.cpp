#include "feed/live_records.h"

#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/status_line.h"

#include <array>
#include <cmath>
#include <fmt/format.h>
#include <mutex>
#include <stdexcept>
#include <string_view>

std::vector<FeedRecord> g_readerBatch;
std::atomic<std::int32_t> g_qnh{1013};
std::atomic<bool> g_announceBlock{true};
std::atomic<bool> g_collectFeedIndex{false};

namespace {

std::mutex g_refPosMutex;
LatLon g_readerRefPos;

std::mutex g_feedIndexMutex;
std::unordered_set<std::string> g_feedIndexA;
std::unordered_set<std::uint32_t> g_feedIndexB;

// the callsign whose block was announced last; lasts for the life of the process
std::string lastBlockedCallsign;

constexpr double lf_groundParkRadiusNm = 5.0;

double lf_number(const nlohmann::json& line, std::size_t i)
{
    const auto& v = line.at(i);
    return v.is_number() ? v.get<double>() : 0.0;
}

bool lf_isNumber(const nlohmann::json& line, std::size_t i) { return line.at(i).is_number(); }

std::string lf_string(const nlohmann::json& line, std::size_t i)
{
    const auto& v = line.at(i);
    return v.is_string() ? v.get<std::string>() : std::string();
}

bool lf_droppedType(const std::string& type)
{
    static const std::unordered_set<std::string> dropped{"BALL", "EMER", "GLID", "GRND", "GND",
                                                         "PARA", "SERV", "SHIP", "VENT"};
    return type.size() > 4 || dropped.contains(type);
}

// step 4: true keeps the record
bool lf_categoryFilter(const std::string& type, const std::string& category)
{
    if (type.empty())
        return false;
    if (category.empty() || category == "null")
        return true;
    static constexpr std::array<std::string_view, 5> droppedCategories{"B1", "B2", "B4", "C1", "C2"};
    for (const auto c : droppedCategories)
        if (category == c)
            return false;
    return !lf_droppedType(type);
}

double lf_defaultAirspeed(double altitude)
{
    if (altitude <= 2000.0)
        return 180.0;
    if (altitude <= 5000.0)
        return 220.0;
    if (altitude <= 10000.0)
        return 250.0;
    if (altitude <= 20000.0)
        return 350.0;
    return 430.0;
}

double lf_correctedAltitude(double a, double groundSpeed, const LineContext& context)
{
    if (!(a > 0.0))
        return 0.0;
    a = std::max(0.0, (context.qnh - 1013) * 30.0 + a);
    if (a > 0.0 && a < 14000.0) {
        const double e = context.parkAirport.elevationFt.value_or(-1000.0);
        const double h = a - e;
        const double absH = std::fabs(h);
        if (h <= 0.0 || (absH <= 45.0 && groundSpeed <= 120.0) || (absH <= 90.0 && groundSpeed <= 80.0) ||
            (absH <= 120.0 && groundSpeed <= 43.0))
            a = 0.0;
    }
    if (groundSpeed <= 35.0 && a > 0.0)
        a = 0.0;
    return a;
}

// step 11; false drops the record
bool lf_callsignRules(FeedRecord& record, const LineContext& context)
{
    std::string& callsign = record.callsign;
    if (callsign == "null" || callsign.find('@') != std::string::npos) {
        callsign.clear();
        return true;
    }
    if (callsign == "ERARMTR0" || callsign == "AIRPORT1")
        return false;
    const std::string& blocked = context.blockCallsign;
    if (blocked.empty() || callsign != blocked)
        return true;
    if (g_announceBlock.load()) {
        g_announceBlock = false;
        lastBlockedCallsign = blocked;
        gf_feedObjectListHook(0, record.hexId, g_objectKindFeedBlocked);
        gf_showStatus("Reader: Live aircraft " + callsign + " blocked", true);
    } else if (lastBlockedCallsign != blocked) {
        gf_showStatus("Reader: Live aircraft " + lastBlockedCallsign + " no longer blocked", true);
        g_announceBlock = true;
        lastBlockedCallsign.clear();
    }
    return false;
}

void lf_indexRecord(const FeedRecord& record)
{
    // the test and the insertions under one lock, so a take-back never sees half an entry
    std::lock_guard lock(g_feedIndexMutex);
    if (!g_collectFeedIndex.load())
        return;
    if (!record.callsign.empty())
        g_feedIndexA.insert(record.callsign);
    g_feedIndexB.insert(record.hexId);
}

void lf_processLine(const nlohmann::json& line, const LineContext& context)
{
    FeedRecord record;
    FeedSample& s = record.sample;

    record.recordTime = lf_number(line, 10);

    record.registration = lf_string(line, 9);
    if (record.registration.size() > 12)
        return;
    if (record.registration == "null")
        record.registration.clear();

    record.type = lf_string(line, 8);
    if (record.type == "0" || record.type == "ZZZZ")
        record.type.clear();
    if (!lf_categoryFilter(record.type, lf_string(line, 28)))
        return;

    s.lat = lf_number(line, 1);
    s.lon = lf_number(line, 2);
    const bool valid = s.lat >= -90.0 && s.lat <= 90.0 && s.lon >= -180.0 && s.lon <= 180.0 &&
                       !(std::fabs(s.lat) <= 0.0001 && std::fabs(s.lon) <= 0.0001);
    if (!valid)
        throw std::runtime_error(fmt::format("lalo: {}", fmt::format("{:.6f},{:.6f}", s.lat, s.lon)));

    if (gf_distanceNm(context.refPos, LatLon{s.lat, s.lon}) > context.rangeNm)
        return;

    if (lf_string(line, 17) == "adsb_icao") {
        const double h = lf_number(line, 25);
        if (h > 360.0)
            throw std::runtime_error(fmt::format("true heading: {:.2F}", h));
        if (h == 0.0) {
            s.trueHeading = g_twoPi;
            s.trueHeadingValid = 1;
        } else if (h > 0.0) {
            s.trueHeading = h * g_deg2rad;
            s.trueHeadingValid = 1;
        }
    }

    record.hexId = gf_parseHexId(lf_string(line, 0));
    if (record.hexId <= 10000)
        return;

    s.groundSpeed = lf_number(line, 5);

    double a = 0.0;
    if (lf_isNumber(line, 4))
        a = lf_number(line, 4);
    else if (lf_isNumber(line, 18))
        a = lf_number(line, 18);
    s.altitude = lf_correctedAltitude(a, s.groundSpeed, context);
    s.airborne = s.altitude > 0.0 ? 1 : 0;

    record.callsign = lf_string(line, 13);
    if (!lf_callsignRules(record, context))
        return;

    if (record.callsign.empty() && record.registration.empty())
        return;

    lf_indexRecord(record);

    if (s.airborne == 0) {
        const ParkAirportRef& park = context.parkAirport;
        if (park.code.empty() || gf_distanceNm(park.position, LatLon{s.lat, s.lon}) > lf_groundParkRadiusNm)
            return;
    }

    s.track = lf_number(line, 3);
    if (s.track == 0.0 && s.trueHeadingValid != 0)
        s.track = *s.trueHeading * g_rad2deg;

    s.verticalRate = lf_number(line, 15);

    record.origin = lf_string(line, 11);
    if (record.origin == "null")
        record.origin.clear();
    record.destination = lf_string(line, 12);
    if (record.destination == "null")
        record.destination.clear();

    if (s.airborne != 0 && lf_isNumber(line, 23)) {
        const double b = lf_number(line, 23);
        if (b != 0.0 && b != -1.0)
            s.bank = -b * g_deg2rad;
    }

    if (lf_isNumber(line, 20) && lf_number(line, 20) != -1.0)
        s.airspeed = lf_number(line, 20);
    else
        s.airspeed = lf_defaultAirspeed(s.altitude);

    s.samePosition = 0;
    g_readerBatch.push_back(std::move(record));
}

} // namespace

LineContext gf_lineContext()
{
    LineContext context;
    context.refPos = gf_readerRefPos();
    context.rangeNm = g_rangeNm.load();
    context.qnh = g_qnh.load();
    context.parkAirport = gf_parkAirport();
    context.blockCallsign = BLOCK_CALLSIGN.value.get();
    return context;
}

void gf_setReaderRefPos(const LatLon& position)
{
    std::lock_guard lock(g_refPosMutex);
    g_readerRefPos = position;
}

LatLon gf_readerRefPos()
{
    std::lock_guard lock(g_refPosMutex);
    return g_readerRefPos;
}

std::uint32_t gf_parseHexId(const std::string& text)
{
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (const char c : text) {
        int d = 0;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull)
            return 0;
        ++digits;
    }
    return digits == 0 ? 0 : static_cast<std::uint32_t>(value);
}

void processLine(const nlohmann::json& line, const LineContext& context)
{
    try {
        lf_processLine(line, context);
    } catch (const std::runtime_error&) {
        // a record the filters reject by raising: dropped without a word
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "processLine", e.what()));
    }
}

void gf_processAnswerPart(const nlohmann::json& part)
{
    if (!part.is_object())
        return;
    const LineContext context = gf_lineContext();
    for (const auto& member : part) {
        if (member.is_array() && member.size() == 48)
            processLine(member, context);
    }
}

FeedIndex gf_takeFeedIndex()
{
    FeedIndex index;
    std::lock_guard lock(g_feedIndexMutex);
    g_collectFeedIndex.exchange(false);
    index.callsigns.swap(g_feedIndexA);
    index.hexIds.swap(g_feedIndexB);
    return index;
}

void gf_clearFeedIndex()
{
    std::lock_guard lock(g_feedIndexMutex);
    g_collectFeedIndex = false;
    g_feedIndexA.clear();
    g_feedIndexB.clear();
}
