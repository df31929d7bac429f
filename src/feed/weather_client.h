#pragma once
// The weather client: the nearest METAR station and the local QNH of the user aircraft.
#include "feed/rt_api_client.h"

#include <atomic>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

class RtWeatherClient : public RtApiClient {
public:
    RtWeatherClient();

    // The weather loop; always false, `status` tells why it ended (9999: stop request).
    bool receive(std::int32_t& status);
    // One nearest-METAR request; true when a station was found. Waits one interval.
    bool nearestmetar(std::int32_t& status);

    // The answers in weatherText, read without waiting: the nearest METAR (true when it named a
    // station) and the weather (false leaves the loop). JSON errors raise.
    bool takeMetarAnswer(std::int32_t& status);
    bool takeWeatherAnswer(std::int32_t& status);

    // The weather part of gf_resetRtClients; never raises (a null fresh handle raises its
    // init text when the next request is prepared).
    void resetForRun() noexcept;

    std::atomic<bool> weatherDataShown{false}; // the weather lamp shows receiving
    CurlHandle weatherHandle;                  // "wrcurl_"
    CurlHandle metarHandle;                    // "nmcurl_"
    std::string weatherText;                   // reply of both handles
    std::string metarStation;                  // sent as "airports"; Weather Reader only
    std::atomic<std::int32_t> weatherQnh{1013};
    std::atomic<bool> weatherData{false};      // the reader has current weather data

private:
    CURLcode post(CURL* handle, const CurlHandleTexts& texts, const char* path, const std::string& body);
    // one weather request and its answer; false leaves the loop
    bool weatherTurn(std::int32_t& status);
    void takeQnh(std::int32_t qnh);
};

RtWeatherClient& gf_weatherClient();

// The QNH in hPa of a weather answer's "data"; values of 1081 and above are inHg x 100. 1013
// when none can be read.
std::int32_t extractQNH(const nlohmann::json& data);
