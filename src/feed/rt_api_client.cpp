#include "feed/rt_api_client.h"

#include "foundation/json_input.h"
#include "foundation/log.h"
#include "platform/clock.h"

#include <chrono>
#include <fmt/format.h>
#include <limits>

RtApiClient::RtApiClient(SharedText& sessionId, std::atomic<std::int32_t>& timeOffset, std::atomic<bool>& stopFlag,
                         std::atomic<bool>& doneFlag)
    : guid(sessionId), finished(doneFlag), authHandle(gf_newCurlHandleOrThrow(g_aucurlTexts)), toffset(timeOffset),
      stop(stopFlag)
{
    replyText.reserve(4096);
}

void RtApiClient::reset() noexcept
{
    guid.set({});
    authHandle = gf_newCurlHandle(); // a null handle raises when it is used
    stop = false;
    toffset = 0;
    finished = false;
    switch (reply.type()) {
    case nlohmann::json::value_t::object:
        reply = nlohmann::json::object();
        break;
    case nlohmann::json::value_t::array:
        reply = nlohmann::json::array();
        break;
    case nlohmann::json::value_t::string:
        reply = std::string();
        break;
    case nlohmann::json::value_t::boolean:
        reply = false;
        break;
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float:
        reply = 0;
        break;
    default:
        break;
    }
    replyText.clear();
}

void RtApiClient::setPostOptions(const std::string& body)
{
    gf_setPostOptions(authHandle.get(), g_aucurlTexts, body, replyText);
}

void RtApiClient::waitInterval(std::int32_t ms) const
{
    if (ms > 0)
        platform::sleepUnlessStopped(std::chrono::milliseconds(ms), stop);
}

void gf_logConnected(std::string_view name) { gf_logIndented(fmt::format("{} connected", name)); }

std::string gf_stringOrDefault(const nlohmann::json& object, const char* key, std::string_view fallback)
{
    if (object.is_object()) {
        const auto it = object.find(key);
        if (it != object.end() && it->is_string())
            return it->get<std::string>();
    }
    return std::string(fallback);
}

namespace {

std::int32_t lf_int32Member(const nlohmann::json& answer, const char* key, std::int32_t fallback)
{
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(gf_jsonInteger(answer, key, fallback, lo, hi));
}

} // namespace

std::int32_t gf_answerStatus(const nlohmann::json& answer) { return lf_int32Member(answer, "status", 100); }

std::int32_t gf_answerInterval(const nlohmann::json& answer, const char* key, std::int32_t previous)
{
    const std::int32_t ms = lf_int32Member(answer, key, g_defaultInterval);
    if (ms <= 0)
        return previous > 0 ? previous : g_defaultInterval;
    return ms;
}

std::string gf_curlErrorText(CURLcode code) { return curl_easy_strerror(code); }
