#include "feed/traffic_client.h"

#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "feed/parked_request.h"
#include "feed/reader_state.h"
#include "feed/service_address.h"
#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"

#include <array>
#include <chrono>
#include <cmath>
#include <fmt/format.h>

namespace {

SharedText g_trafficGuid; // the traffic client's copy of the session id

constexpr int lf_bufferCount = 5;
constexpr int lf_bufferTime = 6; // seconds between two snapshots
constexpr std::uint32_t lf_loopDelay = 30;
// the snapshots of the buffered answer, oldest first
constexpr std::array<const char*, lf_bufferCount> lf_snapshotNames{"buffer_4", "buffer_3", "buffer_2", "buffer_1",
                                                                   "buffer_0"};

struct BatchClearer {
    ~BatchClearer() { g_readerBatch.clear(); }
};

} // namespace

RtTrafficClient::RtTrafficClient()
    : RtApiClient(g_trafficGuid, g_timeOffset, g_readerStop, g_trafficReaderDone),
      trafficHandle(gf_newCurlHandleOrThrow(g_trcurlTexts)), parkedHandle(gf_newCurlHandleOrThrow(g_ptcurlTexts))
{
    trafficText.reserve(16384);
    g_readerBatch.reserve(384);
}

RtTrafficClient& gf_trafficClient()
{
    static RtTrafficClient client;
    return client;
}

QueryBox RtTrafficClient::queryBox() const
{
    std::lock_guard lock(m_boxMutex);
    return m_queryBox;
}

void RtTrafficClient::updateQueryBox(const LatLon& position, double rangeNm)
{
    if (std::fabs(position.lat) <= 0.0001 && std::fabs(position.lon) <= 0.0001)
        return; // no position known yet
    std::lock_guard lock(m_boxMutex);
    if (std::fabs(position.lat - m_boxCentre.lat) < 0.00015 && std::fabs(position.lon - m_boxCentre.lon) < 0.00015 &&
        rangeNm == m_boxRadius)
        return;
    m_boxRadius = rangeNm;
    m_boxCentre = position;
    m_queryBox = gf_computeQueryBox(position, rangeNm);
}

void RtTrafficClient::resetForRun() noexcept
{
    reset();
    trafficHandle = gf_newCurlHandle();
    parkedHandle = gf_newCurlHandle();
    trafficText.clear();
    g_latestFeedTime = 0.0;
    gf_clearFeedIndex();
    g_readerBatch.clear();
    g_liveCount = 0;
    g_qnh = 1013;
    {
        std::lock_guard lock(m_boxMutex);
        m_boxRadius = -1.0;
        m_boxCentre = LatLon{};
        m_queryBox = QueryBox{};
    }
    trafficDataShown = true;
    g_announceBlock = true;
}

void RtTrafficClient::queueBatch(std::uint32_t delaySeconds, std::int32_t askedUnderShift)
{
    const BatchClearer clearer;
    // asked before the shift changed: its aircraft would come back after the change ended theirs,
    // and its times would become the feed time again
    if (askedUnderShift != toffset.load())
        return;
    g_liveCount = static_cast<std::int64_t>(g_readerBatch.size());
    // the traffic manager takes the feed time from the records it keeps: a report dated far
    // ahead, which it drops, must not move the program's clock
    gf_queueFeedBatch(g_readerBatch, delaySeconds, askedUnderShift);
}

CURLcode RtTrafficClient::post(const std::string& body)
{
    gf_prepareReaderRequest(trafficHandle.get(), g_trcurlTexts, gf_rtBaseUrl() + "/v4/traffic", body, trafficText,
                            &stop);
    return curl_easy_perform(trafficHandle.get());
}

bool RtTrafficClient::buffer(std::int32_t& status)
{
    if (guid.empty())
        return false;
    bool result = false;
    try {
        trafficText.clear();
        const QueryBox box = queryBox();
        const std::int32_t shift = toffset.load();
        const std::string body =
            fmt::format("GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=locationtraffic&toffset={}&buffercount={}&buffertime={}",
                        guid.get(), box.top, box.bottom, box.left, box.right, shift, lf_bufferCount, lf_bufferTime);
        const CURLcode code = post(body);
        if (code != CURLE_OK) {
            if (!(code == CURLE_ABORTED_BY_CALLBACK && stop.load()))
                gf_logError(
                    fmt::format("{} buffer traffic code: {}", gf_utcTimeText(gf_wallClockSeconds()), gf_curlErrorText(code)));
        } else {
            result = takeBufferAnswer(status, shift);
        }
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "buffer", e.what()));
        result = false;
    }
    waitInterval(rrl.load());
    if (stop.load()) {
        status = g_statusStopped;
        return false;
    }
    return result;
}

bool RtTrafficClient::takeBufferAnswer(std::int32_t& status, std::int32_t askedUnderShift)
{
    if (trafficText.empty()) {
        gf_logError("buffer traffic: empty content");
        return false;
    }
    const nlohmann::json answer = gf_parseJson(trafficText, true);
    const std::int32_t answerStatus = gf_answerStatus(answer);
    if (answerStatus != 200) {
        status = answerStatus;
        if (answerStatus == 406)
            gf_logError(fmt::format(" buffer traffic msg {}", gf_stringOrDefault(answer, "message", "")));
        return false;
    }
    rrl = gf_answerInterval(answer, "rrl", rrl.load());
    g_collectFeedIndex = true;
    const auto data = answer.find("data");
    if (data == answer.end() || data->empty())
        return false;
    for (int i = 0; i < lf_bufferCount; ++i) {
        if (data->is_object()) {
            const auto snapshot = data->find(lf_snapshotNames[static_cast<std::size_t>(i)]);
            if (snapshot != data->end() && !snapshot->empty())
                gf_processAnswerPart(*snapshot);
        }
        queueBatch(static_cast<std::uint32_t>(lf_bufferTime * i), askedUnderShift);
    }
    return true;
}

bool RtTrafficClient::takeTrafficAnswer(std::int32_t& status, std::int32_t askedUnderShift)
{
    if (trafficText.empty()) {
        gf_logError("traffic receive: empty content");
        return true;
    }
    const nlohmann::json answer = gf_parseJson(trafficText, true);
    const std::int32_t answerStatus = gf_answerStatus(answer);
    if (answerStatus == 200) {
        rrl = gf_answerInterval(answer, "rrl", rrl.load());
        const auto data = answer.find("data");
        if (data != answer.end() && !data->empty())
            gf_processAnswerPart(*data);
        queueBatch(lf_loopDelay, askedUnderShift);
        return true;
    }
    if (answerStatus == 406) {
        gf_logError(fmt::format("{} curl traffic msg: {}", gf_utcTimeText(gf_wallClockSeconds()),
                                gf_stringOrDefault(answer, "message", "")));
        return true;
    }
    status = answerStatus;
    return false;
}

bool RtTrafficClient::receive(std::int32_t& status)
{
    if (guid.empty())
        return false;
    if (!buffer(status)) {
        if (stop.load()) {
            status = g_statusStopped;
            return false;
        }
        gf_logError(fmt::format("buffer failed {}", status));
    }
    if (stop.load()) {
        status = g_statusStopped;
        return false;
    }
    g_firstReception = true;

    while (!stop.load()) {
        try {
            if (g_parkedRequest.exchange(false)) {
                parkedtraffic();
                waitInterval(rrl);
                continue;
            }
            trafficText.clear();
            const QueryBox box = queryBox();
            const std::int32_t shift = toffset.load();
            const std::string body = fmt::format(
                "GUID={}&top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}&querytype=locationtraffic&toffset={}",
                guid.get(), box.top, box.bottom, box.left, box.right, shift);
            const CURLcode code = post(body);
            if (code != CURLE_OK) {
                if (code == CURLE_ABORTED_BY_CALLBACK && stop.load())
                    break; // a stop ended the transfer
                gf_logError(fmt::format("curl traffic code:{} = {}", static_cast<int>(code), gf_curlErrorText(code)));
                waitInterval(rrl);
                continue;
            }
            if (!takeTrafficAnswer(status, shift))
                break;
            waitInterval(rrl);
        } catch (const std::exception& e) {
            gf_logError(fmt::format("{}: {}", "receive", e.what()));
            waitInterval(rrl);
        }
    }
    g_firstReception = false;
    if (stop.load())
        status = g_statusStopped;
    return false;
}
