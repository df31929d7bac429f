#include "feed/parked_request.h"

#include "feed/feed_hooks.h"
#include "feed/parked_records.h"
#include "feed/service_address.h"
#include "feed/traffic_client.h"
#include "foundation/half_hours.h"
#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/program.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <fmt/format.h>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

std::vector<ParkedTrafficRecord> g_parkedRecords;
std::atomic<bool> g_parkedRequest{false};
std::atomic<std::int32_t> g_parkedStatus{-1};

namespace {

constexpr double lf_boxHalfHeightDeg = 0.04996402877697842; // 3 * 1.852 / 111.2
constexpr double lf_boxHalfWidthFt = 18228.34647;           // 3 * 6076.11549
constexpr double lf_halfPi = 1.5707963267948966;
constexpr auto lf_pollInterval = std::chrono::milliseconds(100);
constexpr auto lf_waitLimit = std::chrono::seconds(10);

// the hand-over between the control thread and the Traffic Reader
std::mutex g_parkedMutex;
std::uint64_t g_parkedSequence = 0;  // the last request made
std::uint64_t g_parkedWaitedFor = 0; // the request being waited for, 0 = none
ParkedBox g_parkedBox;
std::vector<ParkedTrafficRecord> g_parkedDelivered;
platform::SteadyTime g_parkedAskedAt; // when the control thread began to wait (its thread only)

std::uint64_t lf_raiseRequest(const ParkedBox& box)
{
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(g_parkedMutex);
        sequence = ++g_parkedSequence;
        g_parkedWaitedFor = sequence;
        g_parkedBox = box;
        g_parkedDelivered.clear();
        g_parkedStatus = -1;
    }
    g_parkedRequest = true;
    return sequence;
}

// the answer of the request, or nothing when it has not come; the request is over either way
bool lf_closeRequest(std::int32_t& status, std::vector<ParkedTrafficRecord>& records)
{
    g_parkedRequest = false;
    std::lock_guard lock(g_parkedMutex);
    g_parkedWaitedFor = 0;
    status = g_parkedStatus;
    records = std::move(g_parkedDelivered);
    g_parkedDelivered.clear();
    return status != -1;
}

// slots into half hours since the report, then filter, sort and drop duplicates
void lf_postProcess(std::vector<ParkedTrafficRecord>& records)
{
    const auto now = static_cast<std::uint32_t>(gf_halfHourSlotNow());
    for (ParkedTrafficRecord& r : records) {
        auto age = static_cast<std::int32_t>(now - r.slot);
        if (age < 0)
            age += 48;
        r.slot = static_cast<std::uint32_t>(age);
    }
    if (!RT_PARKTRAFFIC_ONLY.value) {
        const std::int64_t maxFit = MAX_FIT.value;
        std::erase_if(records, [maxFit](const ParkedTrafficRecord& r) { return r.slot > maxFit; });
    }
    // the order by age is sorted as indexes, and the stands and callsigns seen are looked up in
    // sets: a thousand records take a fraction of a millisecond of the control thread's pass
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&records](std::size_t a, std::size_t b) { return records[a].slot < records[b].slot; });
    std::unordered_set<std::string_view> stands;
    std::unordered_set<std::string_view> callsigns;
    std::vector<ParkedTrafficRecord> kept;
    kept.reserve(records.size());
    for (const std::size_t i : order) {
        const ParkedTrafficRecord& r = records[i];
        if (stands.contains(r.stand) || (!r.callsign.empty() && callsigns.contains(r.callsign)))
            continue;
        kept.push_back(std::move(records[i]));
        stands.insert(kept.back().stand); // kept keeps its room: the views stay valid
        callsigns.insert(kept.back().callsign);
    }
    records = std::move(kept);
}

} // namespace

ParkedBox gf_parkedBox(const LatLon& centre)
{
    ParkedBox box;
    box.top = centre.lat + lf_boxHalfHeightDeg;
    box.bottom = centre.lat - lf_boxHalfHeightDeg;
    box.left = gf_destinationPoint(centre, -lf_halfPi, lf_boxHalfWidthFt).lon;
    box.right = gf_destinationPoint(centre, lf_halfPi, lf_boxHalfWidthFt).lon;
    return box;
}

void gf_askParkedTraffic()
{
    lf_raiseRequest(gf_parkedBox(gf_parkAirport().position));
    g_parkedAskedAt = platform::clock().steadyNow();
}

bool gf_parkedTrafficPending()
{
    return g_parkedStatus == -1 && platform::clock().steadyNow() - g_parkedAskedAt <= lf_waitLimit;
}

bool gf_takeParkedAnswer()
{
    std::int32_t status = -1;
    std::vector<ParkedTrafficRecord> records;
    const bool answered = lf_closeRequest(status, records);
    g_parkedRecords = std::move(records);
    if (!answered) {
        gf_log("ParkedTraffic receiving timed out after 10 seconds");
        return false;
    }
    if (status <= 0) {
        lf_postProcess(g_parkedRecords);
        return true;
    }
    switch (status) {
    case 1:
        return false;
    case 400:
        throw std::runtime_error("RT API parameter fault");
    case 403:
        throw std::runtime_error("RT Parkedtraffic: no data is delivered for this account");
    case 401:
        gf_logError(fmt::format("RT Parkedtraffic: re-authentication to RT API is needed {}", g_shortDisplayName));
        return false;
    default:
        gf_logError(fmt::format("RT Parkedtraffic error status: {}", status));
        return false;
    }
}

bool gf_receiveParkedTraffic()
{
    gf_askParkedTraffic();
    platform::Clock& clock = platform::clock();
    clock.sleepFor(lf_pollInterval);
    g_parkedAskedAt = clock.steadyNow(); // the ten seconds from the first look on
    while (g_parkedStatus == -1) {
        clock.sleepUntil(clock.steadyNow() + lf_pollInterval);
        if (!gf_parkedTrafficPending())
            break;
    }
    return gf_takeParkedAnswer();
}

bool gf_takeParkedRequest(ParkedBox& box, std::uint64_t& sequence)
{
    std::lock_guard lock(g_parkedMutex);
    if (g_parkedWaitedFor == 0)
        return false;
    box = g_parkedBox;
    sequence = g_parkedWaitedFor;
    return true;
}

void gf_deliverParkedAnswer(std::uint64_t sequence, std::int32_t status, std::vector<ParkedTrafficRecord> records)
{
    std::lock_guard lock(g_parkedMutex);
    if (sequence == 0 || sequence != g_parkedWaitedFor || g_parkedStatus != -1)
        return; // nobody waits for this answer any more
    g_parkedDelivered = std::move(records);
    g_parkedStatus = status;
}

void gf_resetParkedTraffic()
{
    g_parkedRequest = false;
    {
        std::lock_guard lock(g_parkedMutex);
        g_parkedWaitedFor = 0;
        g_parkedDelivered.clear();
        g_parkedBox = ParkedBox{};
        g_parkedStatus = -1;
    }
    g_parkedRecords.clear();
}

void RtTrafficClient::takeParkedAnswer(std::int32_t& status, std::vector<ParkedTrafficRecord>& records)
{
    if (trafficText.empty()) {
        gf_logError("parkedtraffic: empty content");
        return;
    }
    const nlohmann::json answer = gf_parseJson(trafficText, false);
    if (answer.is_discarded()) {
        gf_logError("parkedtraffic: invalid JSON");
        return;
    }
    const std::int32_t answerStatus = gf_answerStatus(answer);
    if (answerStatus == 200) {
        rrl = gf_answerInterval(answer, "rrl", rrl.load());
        const auto data = answer.find("data");
        if (data != answer.end() && data->is_object()) {
            const ParkedLineContext context = gf_parkedLineContext();
            for (const auto& [key, line] : data->items())
                processParkedTrafficLine(key, line, context, records);
        }
        status = 0;
    } else if (answerStatus == 406) {
        gf_logError(fmt::format("parkedtraffic msg: {}", gf_stringOrDefault(answer, "message", "")));
        status = 0;
    } else {
        status = answerStatus;
    }
}

void RtTrafficClient::parkedtraffic()
{
    ParkedBox box;
    std::uint64_t sequence = 0;
    if (!gf_takeParkedRequest(box, sequence))
        return; // it timed out before the reader came to it
    if (guid.empty()) {
        gf_deliverParkedAnswer(sequence, 1, {});
        return;
    }
    std::int32_t status = 1;
    std::vector<ParkedTrafficRecord> records;
    try {
        trafficText.clear();
        const std::string body = fmt::format(
            "GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=parkedtraffic&toffset={}", guid.get(),
            box.top, box.bottom, box.left, box.right, toffset.load());
        gf_prepareReaderRequest(parkedHandle.get(), g_ptcurlTexts, gf_rtBaseUrl() + "/v4/traffic", body, trafficText,
                                &stop);
        const CURLcode code = curl_easy_perform(parkedHandle.get());
        if (code != CURLE_OK) {
            if (!(code == CURLE_ABORTED_BY_CALLBACK && stop.load()))
                gf_logError(fmt::format("{} curl parkedtraffic code: {}", gf_utcTimeText(gf_wallClockSeconds()),
                                        gf_curlErrorText(code)));
        } else {
            takeParkedAnswer(status, records);
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "parkedtraffic", e.what()));
        status = 1;
        records.clear();
    }
    gf_deliverParkedAnswer(sequence, status, std::move(records));
}
