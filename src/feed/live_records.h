#pragma once
// Live-traffic records: one 48-element aircraft array of a traffic answer becomes one filtered,
// QNH-corrected FeedRecord in g_readerBatch.
#include "feed/feed_hooks.h"
#include "feed/feed_record.h"
#include "foundation/geometry.h"

#include <atomic>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

// Records kept from the answer being handed over; used on the Traffic Reader thread only.
extern std::vector<FeedRecord> g_readerBatch;
// Current QNH in hPa, 1013 until the Weather Reader has one.
extern std::atomic<std::int32_t> g_qnh;
// The next record with the blocked callsign is announced.
extern std::atomic<bool> g_announceBlock;
// Set by the traffic manager to have every record's callsign and hex id indexed.
extern std::atomic<bool> g_collectFeedIndex;

// What one answer's records are judged against, taken once per answer.
struct LineContext {
    LatLon refPos;                     // g_readerRefPos
    double rangeNm = 0.0;              // RANGE
    std::int32_t qnh = 1013;           // g_qnh
    ParkAirportRef parkAirport;        // code, position and elevation
    std::string blockCallsign;         // BLOCK_CALLSIGN, empty = none
};
LineContext gf_lineContext();

// The reference position of the distance filter, written by the traffic manager.
void gf_setReaderRefPos(const LatLon& position);
LatLon gf_readerRefPos();

// Turns one aircraft array into zero or one record appended to g_readerBatch. Never raises.
void processLine(const nlohmann::json& line, const LineContext& context);

// Every member of one answer part ("data" or one of its snapshots) that is an array of exactly 48
// elements, in key order, through processLine; other members are skipped without a word.
void gf_processAnswerPart(const nlohmann::json& part);

// The hex id of an aircraft array: leading hexadecimal digits, 0 when none or too large.
std::uint32_t gf_parseHexId(const std::string& text);

struct FeedIndex {
    std::unordered_set<std::string> callsigns; // g_feedIndexA
    std::unordered_set<std::uint32_t> hexIds;  // g_feedIndexB
};
// Takes g_collectFeedIndex back (exchange to false) and moves out and clears both sets; no
// record is half entered when it returns.
FeedIndex gf_takeFeedIndex();
// Empties the sets and the flag (reset before a run).
void gf_clearFeedIndex();
