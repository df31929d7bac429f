#include "feed/session.h"

#include "feed/feed_display.h"
#include "feed/feed_hooks.h"
#include "feed/reader_state.h"
#include "feed/service_address.h"
#include "feed/traffic_client.h"
#include "feed/weather_client.h"
#include "foundation/json_input.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/program.h"
#include "foundation/reader_stop.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"
#include "foundation/user_error.h"
#include "foundation/utc_time.h"
#include "platform/clock.h"

#include <chrono>
#include <fmt/format.h>
#include <stdexcept>

namespace {

constexpr auto lf_refusalDisplayTime = std::chrono::seconds(10);

// the service's interval after a login; a quit ends it
void lf_sleepMs(std::int32_t ms)
{
    if (ms > 0)
        platform::sleepUnlessStopped(std::chrono::milliseconds(ms), g_quit);
}

// URL of a session request on the client's authHandle
CURL* lf_sessionHandle(RtApiClient& client, const char* path)
{
    CURL* handle = client.authHandle.get();
    if (handle == nullptr)
        throw std::runtime_error(std::string(g_aucurlTexts.initFailed));
    const std::string url = gf_rtBaseUrl() + path;
    if (curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) != CURLE_OK)
        throw std::runtime_error(std::string(g_aucurlTexts.url));
    return handle;
}

constexpr std::int32_t lf_professionalType = 2; // "type" of a professional account
constexpr std::int32_t lf_lockedOut = 429;        // too many failed logins: wait before the next
constexpr std::int32_t lf_lockOutRestartDelay = 300;

// the refusals with a path of their own (400 among them, which ends the run as any other failure)
bool lf_isRefusal(std::int64_t status)
{
    return status == 400 || status == 401 || status == 402 || status == 403 || status == 404 || status == 405 ||
           status == lf_lockedOut || status == 500;
}

// the service's message of a refusal; it comes from outside and may be long
constexpr std::size_t lf_loggedMessageBytes = 256;

std::string lf_refusalText(std::int64_t status, std::string_view message)
{
    return fmt::format("Authentication refused, status {}: {}", status, message);
}

// "type" 2 is a professional account; any other value, a missing or a non-integer one, standard
bool lf_professional(const nlohmann::json& answer)
{
    if (!answer.is_object())
        return false;
    const auto type = answer.find("type");
    return type != answer.end() && type->is_number_integer() && type->get<std::int64_t>() == lf_professionalType;
}

// The next start holds back until 2 seconds after this visit of the service.
void lf_noteVisit()
{
    LAST_EPOCH_TIME.value = LAST_EPOCH_TIME.clamped(gf_wallClockSeconds());
    gf_saveIntParameter(LAST_EPOCH_TIME);
}

[[noreturn]] void lf_refuse(std::int32_t code, const std::string& text)
{
    gf_showStatus(text, true);
    platform::clock().sleepFor(lf_refusalDisplayTime);
    throw brv::UserErrorException(code, text);
}

} // namespace

bool authenticate(AuthRefusal& refusal, const std::string& accessKey)
{
    RtWeatherClient& client = gf_weatherClient();
    try {
        client.replyText.clear();
        CURL* handle = lf_sessionHandle(client, "/v4/auth");
        const std::string body =
            fmt::format("license={}&software={}", gf_formEncode(accessKey),
                        gf_formEncode(fmt::format("{} {}", g_shortDisplayName, g_programVersion.toString())));
        client.setPostOptions(body);
        gf_setTransferGuards(handle, &g_quit);
        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) {
            gf_log(fmt::format("{} Authentication failed: {}", gf_utcTimeText(gf_wallClockSeconds()),
                               gf_curlErrorText(code)));
            return false;
        }
        if (!gf_takeAuthAnswer(client, refusal))
            return false;
        lf_noteVisit(); // a login is a visit
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "authenticate", e.what()));
        lf_sleepMs(client.wrrl.load());
        return false;
    }
    lf_sleepMs(client.wrrl.load());
    return true;
}

bool gf_takeAuthAnswer(RtApiClient& client, AuthRefusal& refusal)
{
    if (client.replyText.empty()) {
        gf_log("Authentication: empty response");
        return false;
    }
    const nlohmann::json answer = gf_parseJson(client.replyText, true);
    if (answer.is_object()) {
        const auto s = answer.find("status");
        if (s != answer.end() && s->is_number_integer()) {
            const auto value = s->get<std::int64_t>();
            if (value != 200) {
                const std::string message =
                    gf_cutText(gf_stringOrDefault(answer, "message", ""), lf_loggedMessageBytes);
                if (lf_isRefusal(value)) {
                    refusal = AuthRefusal{static_cast<std::int32_t>(value), message};
                    return false;
                }
                // any other status but success refuses too, as any other failure
                gf_logError(lf_refusalText(value, message));
                return false;
            }
        }
    }
    std::int32_t wrrl = g_defaultInterval;
    if (answer.is_object()) {
        const auto w = answer.find("wrrl");
        if (w != answer.end() && w->is_number_integer())
            wrrl = gf_answerInterval(answer, "wrrl", client.wrrl.load());
    }
    client.wrrl = wrrl;
    gf_log(fmt::format("\nAuthenticated at RT server '{}'", gf_stringOrDefault(answer, "server", "?")));
    g_sessionGuid.set(gf_stringOrDefault(answer, "GUID", "empty GUID?"));
    const bool professional = lf_professional(answer);
    g_professionalAccount = professional;
    gf_log(fmt::format("RT account type: {}", professional ? "professional" : "standard"));
    g_sessionActive = true;
    gf_repaintHeaderArea();
    return true;
}

bool gf_authenticater()
{
    const std::string accessKey = gf_readAccessKey();
    gf_showStatus("Waiting for authentication at RT server ...", true);
    gf_log("\n");
    AuthRefusal refusal;
    const bool ok = authenticate(refusal, accessKey);
    RtTrafficClient& traffic = gf_trafficClient();
    if (ok) {
        gf_clearStatus();
        traffic.guid.set(g_sessionGuid.get());
        return true;
    }
    const std::int32_t status = refusal.status;
    // a key the service does not accept, an account whose address is not verified
    if (status == 401 || status == 403)
        lf_refuse(status, lf_refusalText(status, refusal.message));
    if (status == 402)
        lf_refuse(402, "The RealTraffic license has expired, please renew your subscription");
    if (status == 404)
        lf_refuse(404, fmt::format("The RealTraffic license key is not known, check the key in {}",
                                   gf_licensePath().string()));
    if (status == 405)
        lf_refuse(405, "More than one RealTraffic session is not possible, do not run the RealTraffic app");
    if (status == 500)
        throw std::runtime_error("No RT database connection");
    if (status == lf_lockedOut) {
        // a new login before the lock-out ends would count as one more failure
        gf_logError(lf_refusalText(status, refusal.message));
        const std::string reason =
            refusal.message.empty() ? fmt::format("Authentication refused, status {}", status) : refusal.message;
        gf_showStatus(reason, false);
        gf_requestStop(RunState::ReaderError, lf_lockOutRestartDelay, reason);
    } else {
        gf_stopOnReaderError("Authenticater", true);
        gf_clearStatus();
    }
    traffic.guid.set(g_sessionGuid.get());
    return false;
}

void deauthenticate(RtApiClient& client)
{
    try {
        client.replyText.clear();
        CURL* handle = lf_sessionHandle(client, "/v4/deauth");
        const std::string body = fmt::format("GUID={}", client.guid.get());
        client.setPostOptions(body);
        gf_setTransferGuards(handle, nullptr);
        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) {
            gf_log(fmt::format("{} Deauthentication failed: {}", gf_utcTimeText(gf_wallClockSeconds()),
                               gf_curlErrorText(code)));
            return;
        }
        gf_takeDeauthAnswer(client);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "deauthenticate", e.what()));
    }
}

void gf_takeDeauthAnswer(RtApiClient& client)
{
    if (client.replyText.empty()) {
        gf_log("Deauthentication: empty response");
        return;
    }
    const nlohmann::json answer = gf_parseJson(client.replyText, false);
    if (answer.is_discarded()) {
        gf_log("Deauthentication: invalid JSON");
        return;
    }
    const std::int32_t status = gf_answerStatus(answer);
    if (status != 200) {
        gf_logError(fmt::format("Deauthentication failed, status: {}", status));
        return;
    }
    g_sessionActive = false;
    gf_repaintHeaderArea();
    client.guid.set({});
    gf_log(fmt::format("{} RT server '{}'", gf_stringOrDefault(answer, "message", ""),
                       gf_stringOrDefault(answer, "server", "")));
}
