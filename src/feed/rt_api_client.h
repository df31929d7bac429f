#pragma once
// The base of the two web-service clients: session id, the session handle and its reply, the
// intervals the service prescribes, the time offset and the reader loop's stop and done flags.
#include "feed/curl_request.h"
#include "foundation/shared_text.h"

#include <atomic>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

inline constexpr std::int32_t g_defaultInterval = 2000; // ms

class RtApiClient {
public:
    // The session id, the time shift in minutes sent as "toffset" (written by the time-shift
    // routine), and the reader loop's stop and done flags live outside the object.
    RtApiClient(SharedText& sessionId, std::atomic<std::int32_t>& timeOffset, std::atomic<bool>& stopFlag,
                std::atomic<bool>& doneFlag);
    virtual ~RtApiClient() = default;
    RtApiClient(const RtApiClient&) = delete;
    RtApiClient& operator=(const RtApiClient&) = delete;

    // Before a new run; never raises. rrl and wrrl keep their values.
    void reset() noexcept;
    // Option set-up of the session requests on authHandle; the URL is set before.
    void setPostOptions(const std::string& body);
    // Sleeps ms, or less once `stop` is set: the service's interval never holds up a stop.
    void waitInterval(std::int32_t ms) const;

    SharedText& guid;                 // session id; empty = not logged in
    std::atomic<bool>& finished;      // the reader thread that uses this client has ended
    CurlHandle authHandle;            // "aucurl_": login and logout
    nlohmann::json reply;             // the aircraft array being parsed (traffic client)
    std::string replyText;            // answers received on authHandle
    std::string spareText;
    std::atomic<std::int32_t>& toffset;
    std::atomic<std::int32_t> rrl{g_defaultInterval};  // ms between two traffic requests
    std::atomic<std::int32_t> wrrl{g_defaultInterval}; // ms between two weather requests
    std::atomic<bool>& stop;          // stop request of the reader loop
};

// "{} connected", indented; each reader thread writes it first.
void gf_logConnected(std::string_view name);

// The member `key` of a JSON object when it is a string, else `fallback`.
std::string gf_stringOrDefault(const nlohmann::json& object, const char* key, std::string_view fallback);
// "status" of an answer, 100 when absent or beyond 32 bits; a present non-number raises the JSON
// type error.
std::int32_t gf_answerStatus(const nlohmann::json& answer);
// An interval ("rrl", "wrrl") of an answer: 2000 when absent or beyond 32 bits; a value of 0 or
// less (which would make a loop spin) keeps `previous`. A present non-number raises the JSON type
// error.
std::int32_t gf_answerInterval(const nlohmann::json& answer, const char* key, std::int32_t previous);
// The libcurl error text of a transfer result.
std::string gf_curlErrorText(CURLcode code);
