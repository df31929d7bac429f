#include "feed/weather_client.h"

#include "feed/feed_display.h"
#include "feed/feed_hooks.h"
#include "feed/live_records.h"
#include "feed/reader_state.h"
#include "feed/service_address.h"
#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/text_utils.h"
#include "foundation/time_shift.h"
#include "foundation/utc_time.h"

#include <cmath>
#include <fmt/format.h>

namespace {

// the part of an answer a log line repeats: the answer comes at every interval and may be long
constexpr std::size_t lf_loggedAnswerBytes = 256;

bool lf_stoppedTransfer(CURLcode code, const std::atomic<bool>& stop)
{
    return code == CURLE_ABORTED_BY_CALLBACK && stop.load();
}

// feet truncated to a whole number, 0 when not above 0
long long lf_altitudeFeet(double feet)
{
    if (!(feet > 0.0))
        return 0;
    return static_cast<long long>(std::fmin(feet, 1e9));
}

} // namespace

RtWeatherClient::RtWeatherClient()
    : RtApiClient(g_sessionGuid, g_weatherTimeOffset, g_weatherStop, g_weatherReaderDone),
      weatherHandle(gf_newCurlHandleOrThrow(g_wrcurlTexts)), metarHandle(gf_newCurlHandleOrThrow(g_nmcurlTexts))
{
    weatherText.reserve(16384);
}

RtWeatherClient& gf_weatherClient()
{
    static RtWeatherClient client;
    return client;
}

void RtWeatherClient::resetForRun() noexcept
{
    reset();
    weatherHandle = gf_newCurlHandle();
    metarHandle = gf_newCurlHandle();
    weatherText.clear();
    weatherQnh = 1013;
    weatherData = false;
    weatherDataShown = true;
    metarStation.clear();
}

CURLcode RtWeatherClient::post(CURL* handle, const CurlHandleTexts& texts, const char* path, const std::string& body)
{
    gf_prepareReaderRequest(handle, texts, gf_rtBaseUrl() + path, body, weatherText, &stop);
    return curl_easy_perform(handle);
}

bool RtWeatherClient::nearestmetar(std::int32_t& status)
{
    if (guid.empty()) {
        waitInterval(wrrl);
        return false;
    }
    try {
        weatherText.clear();
        const UserPosition user = gf_userSnapshot();
        const std::string body =
            fmt::format("GUID={}&toffset={}&lat={:.4F}&lon={:.4F}", guid.get(), toffset.load(), user.lat, user.lon);
        const CURLcode code = post(metarHandle.get(), g_nmcurlTexts, "/v4/nearestmetar", body);
        if (code != CURLE_OK) {
            if (!lf_stoppedTransfer(code, stop))
                gf_logError(fmt::format("{} nearestmetar code: {}", gf_utcTimeText(gf_wallClockSeconds()),
                                        gf_curlErrorText(code)));
            waitInterval(wrrl);
            return false;
        }
        const bool found = takeMetarAnswer(status);
        waitInterval(wrrl);
        return found;
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "nearestmetar", e.what()));
        waitInterval(wrrl);
        return false;
    }
}

bool RtWeatherClient::takeMetarAnswer(std::int32_t& status)
{
    if (weatherText.empty()) {
        gf_logError("nearest metar: empty content");
        return false;
    }
    const nlohmann::json answer = gf_parseJson(weatherText, false);
    if (answer.is_discarded()) {
        gf_logError("nearest metar: invalid JSON");
        return false;
    }
    const std::int32_t answerStatus = gf_answerStatus(answer);
    if (answerStatus == 200) {
        const auto data = answer.find("data");
        if (data == answer.end() || data->empty()) {
            metarStation.clear();
            return false;
        }
        // an array whose first element is an object; anything else is the JSON type error
        const nlohmann::json& first = data->at(0);
        const std::string station =
            first.is_object() ? gf_stringOrDefault(first, "ICAO", "") : first.at("ICAO").get<std::string>();
        metarStation = station;
        if (!station.empty())
            weatherData = true;
        return !station.empty();
    }
    status = answerStatus;
    if (answerStatus == 406 || answerStatus == 500)
        gf_logError(fmt::format("{} json nearestmetar {}", answerStatus, gf_stringOrDefault(answer, "message", "")));
    return false;
}

void RtWeatherClient::takeQnh(std::int32_t qnh)
{
    if (qnh < 930 || qnh > 1080) {
        gf_logError(fmt::format("Strange QNH {} found in {}", qnh, gf_cutText(weatherText, lf_loggedAnswerBytes)));
        return;
    }
    if (qnh == weatherQnh.load() && qnh != 1013)
        return;
    weatherQnh = qnh;
    g_qnh = qnh;
    g_trafficQnh = qnh;
    g_windowQnh = qnh;
    std::int32_t noData = g_lampNoData;
    g_weatherLamp.compare_exchange_strong(noData, g_lampReceiving);
    gf_repaintHeaderArea();
}

bool RtWeatherClient::weatherTurn(std::int32_t& status)
{
    try {
        weatherText.clear();
        const UserPosition user = gf_userSnapshot();
        const std::string body = fmt::format("GUID={}&querytype=locwx&toffset={}&lat={:.4F}&lon={:.4F}&alt={}&airports={}",
                                             guid.get(), toffset.load(), user.lat, user.lon,
                                             lf_altitudeFeet(user.altitudeFt), metarStation);
        const CURLcode code = post(weatherHandle.get(), g_wrcurlTexts, "/v4/weather", body);
        if (code != CURLE_OK) {
            if (lf_stoppedTransfer(code, stop))
                return true; // the loop ends on the stop
            gf_logError(
                fmt::format("{} weather code: {}", gf_utcTimeText(gf_wallClockSeconds()), gf_curlErrorText(code)));
            waitInterval(wrrl);
            return true;
        }
        const bool goOn = takeWeatherAnswer(status);
        if (goOn)
            waitInterval(wrrl);
        return goOn;
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "receive", e.what()));
        waitInterval(wrrl);
        return true;
    }
}

bool RtWeatherClient::takeWeatherAnswer(std::int32_t& status)
{
    if (weatherText.empty()) {
        gf_logError("Empty content?, no QNH to be found");
        return true;
    }
    const nlohmann::json answer = gf_parseJson(weatherText, false);
    if (answer.is_discarded()) {
        gf_logError(fmt::format("Invalid JSON: {}", gf_cutText(weatherText, lf_loggedAnswerBytes)));
        return true;
    }
    const std::int32_t answerStatus = gf_answerStatus(answer);
    if (answerStatus == 200) {
        wrrl = gf_answerInterval(answer, "wrrl", wrrl.load());
        static const nlohmann::json none;
        const auto data = answer.find("data");
        takeQnh(extractQNH(data != answer.end() ? *data : none)); // by reference, never a copy
        weatherData = true;
        return true;
    }
    status = answerStatus;
    if (answerStatus == 406 || answerStatus == 500) {
        gf_logError(fmt::format("{} json weather {}", answerStatus, gf_stringOrDefault(answer, "message", "")));
        weatherData = false;
        return true;
    }
    return false;
}

bool RtWeatherClient::receive(std::int32_t& status)
{
    if (guid.empty())
        return false;
    while (!stop.load()) {
        if (!nearestmetar(status)) {
            if (status == 400 || status == 401)
                break;
            waitInterval(wrrl);
            continue;
        }
        if (!weatherTurn(status))
            break;
    }
    if (stop.load())
        status = g_statusStopped;
    return false;
}
