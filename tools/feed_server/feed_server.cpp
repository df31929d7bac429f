#include "feed_server.h"

#include "answers.h"
#include "form.h"

#include <chrono>
#include <cmath>
#include <fmt/format.h>
#include <httplib.h>
#include <random>
#include <stdexcept>

namespace feedserver {

namespace {

using nlohmann::json;

constexpr int lf_maxTimeOffset = 40320; // minutes: four weeks
constexpr int lf_maxBufferCount = 10;

// a request the service cannot answer for its parameters: status 400
struct ParameterFault : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const std::string* lf_field(const std::map<std::string, std::string>& fields, const char* key)
{
    const auto it = fields.find(key);
    return it == fields.end() ? nullptr : &it->second;
}

double lf_number(const std::map<std::string, std::string>& fields, const char* key)
{
    const std::string* text = lf_field(fields, key);
    if (text == nullptr)
        throw ParameterFault(fmt::format("missing {}", key));
    std::size_t used = 0;
    double value = 0.0;
    try {
        value = std::stod(*text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text->size() || !std::isfinite(value))
        throw ParameterFault(fmt::format("{} is not a number", key));
    return value;
}

int lf_integer(const std::map<std::string, std::string>& fields, const char* key, int fallback, int low, int high)
{
    if (lf_field(fields, key) == nullptr)
        return fallback;
    const double value = lf_number(fields, key);
    if (value != std::floor(value) || value < low || value > high)
        throw ParameterFault(fmt::format("{} out of range", key));
    return static_cast<int>(value);
}

Box lf_box(const std::map<std::string, std::string>& fields)
{
    const Box box{lf_number(fields, "top"), lf_number(fields, "bottom"), lf_number(fields, "left"),
                  lf_number(fields, "right")};
    if (box.top < box.bottom || box.right < box.left)
        throw ParameterFault("empty box");
    return box;
}

json lf_status(int status, const std::string& message) { return json{{"status", status}, {"message", message}}; }

std::string lf_newGuid()
{
    static std::mutex mutex;
    static std::mt19937_64 random{std::random_device{}()};
    std::lock_guard lock(mutex);
    const std::uint64_t a = random();
    const std::uint64_t b = random();
    return fmt::format("{:08x}-{:04x}-{:04x}-{:04x}-{:012x}", a >> 32, (a >> 16) & 0xFFFF, a & 0xFFFF, b >> 48,
                       b & 0xFFFFFFFFFFFFull);
}

} // namespace

FeedServer::FeedServer(Scenario scenario, std::string licenseKey)
    : m_scenario(std::move(scenario)), m_licenseKey(std::move(licenseKey)),
      m_server(std::make_unique<httplib::Server>()), m_start(platform::clock().steadyNow())
{
    const auto route = [this](const char* path, json (FeedServer::*answer)(const Fields&)) {
        m_server->Post(path, [this, answer](const httplib::Request& request, httplib::Response& response) {
            json body;
            try {
                body = (this->*answer)(gf_decodeForm(request.body));
            } catch (const ParameterFault& e) {
                body = lf_status(400, fmt::format("parameter fault: {}", e.what()));
            } catch (const std::exception& e) {
                body = lf_status(500, e.what());
            }
            // the service's own status travels in the answer; the transfer itself succeeds
            response.set_content(body.dump(), "application/json");
        });
    };
    route("/v4/auth", &FeedServer::auth);
    route("/v4/deauth", &FeedServer::deauth);
    route("/v4/traffic", &FeedServer::traffic);
    route("/v4/weather", &FeedServer::weather);
    route("/v4/nearestmetar", &FeedServer::nearestMetar);
}

FeedServer::~FeedServer() { stop(); }

int FeedServer::bind(int port)
{
    int bound = -1;
    if (port == 0)
        bound = m_server->bind_to_any_port("127.0.0.1");
    else if (m_server->bind_to_port("127.0.0.1", port))
        bound = port;
    if (bound <= 0)
        throw std::runtime_error(fmt::format("cannot listen on 127.0.0.1:{}", port));
    std::lock_guard lock(m_mutex);
    m_start = platform::clock().steadyNow();
    m_loggedIn = false;
    return bound;
}

void FeedServer::run() { m_server->listen_after_bind(); }

void FeedServer::stop() { m_server->stop(); }

void FeedServer::setLog(std::function<void(const std::string&)> log)
{
    std::lock_guard lock(m_mutex);
    m_log = std::move(log);
}

void FeedServer::log(const std::string& line) const
{
    std::lock_guard lock(m_mutex);
    if (m_log)
        m_log(line);
}

bool FeedServer::hasSession(const Fields& fields) const
{
    const std::string* guid = lf_field(fields, "GUID");
    std::lock_guard lock(m_mutex);
    return guid != nullptr && m_sessions.contains(*guid);
}

json FeedServer::auth(const Fields& fields)
{
    const std::string* license = lf_field(fields, "license");
    if (license == nullptr || license->empty())
        throw ParameterFault("missing license");
    if (*license != m_licenseKey) {
        log("login refused: license key not known");
        return lf_status(404, "license key not known");
    }
    const std::string guid = lf_newGuid();
    {
        std::lock_guard lock(m_mutex);
        m_sessions.insert(guid);
        if (!m_loggedIn)
            m_start = platform::clock().steadyNow();
        m_loggedIn = true;
    }
    const std::string* software = lf_field(fields, "software");
    log(fmt::format("login of '{}': session {}", software != nullptr ? *software : "", guid));
    json answer{{"status", 200},          {"GUID", guid},
                {"rrl", m_scenario.rrl},  {"wrrl", m_scenario.wrrl},
                {"server", m_scenario.serverName}, {"message", "authenticated"}};
    if (m_scenario.accountType)
        answer["type"] = *m_scenario.accountType;
    return answer;
}

json FeedServer::deauth(const Fields& fields)
{
    const std::string* guid = lf_field(fields, "GUID");
    std::size_t erased = 0;
    if (guid != nullptr) {
        std::lock_guard lock(m_mutex);
        erased = m_sessions.erase(*guid);
    }
    if (erased == 0)
        return lf_status(401, "session not known");
    log(fmt::format("logout: session {}", *guid));
    return json{{"status", 200}, {"message", "Deauthenticated"}, {"server", m_scenario.serverName}};
}

json FeedServer::traffic(const Fields& fields)
{
    if (!hasSession(fields))
        return lf_status(401, "session not known, authenticate again");
    const std::string* queryType = lf_field(fields, "querytype");
    const Box box = lf_box(fields);
    const int offsetSeconds = lf_integer(fields, "toffset", 0, 0, lf_maxTimeOffset) * 60;
    platform::Clock& clock = platform::clock();
    platform::SteadyTime start;
    {
        std::lock_guard lock(m_mutex);
        start = m_start;
    }
    const AskedTime at{std::chrono::duration<double>(clock.steadyNow() - start).count() - offsetSeconds,
                       std::chrono::duration<double>(clock.systemNow().time_since_epoch()).count() - offsetSeconds};
    if (queryType != nullptr && *queryType == "locationtraffic") {
        json data;
        if (lf_field(fields, "buffercount") != nullptr)
            data = gf_bufferedData(m_scenario, box, at, lf_integer(fields, "buffercount", 0, 1, lf_maxBufferCount),
                                   lf_integer(fields, "buffertime", 10, 1, 3600));
        else
            data = gf_liveData(m_scenario, box, at);
        return json{{"status", 200}, {"rrl", m_scenario.rrl}, {"data", std::move(data)}};
    }
    if (queryType != nullptr && *queryType == "parkedtraffic")
        return json{{"status", 200}, {"rrl", m_scenario.rrl}, {"data", gf_parkedData(m_scenario, box, at.epochSeconds)}};
    throw ParameterFault("unknown querytype");
}

json FeedServer::weather(const Fields& fields)
{
    if (!hasSession(fields))
        return lf_status(401, "session not known, authenticate again");
    const std::string* queryType = lf_field(fields, "querytype");
    if (queryType == nullptr || *queryType != "locwx")
        throw ParameterFault("unknown querytype");
    lf_integer(fields, "toffset", 0, 0, lf_maxTimeOffset);
    const std::string* airports = lf_field(fields, "airports");
    const MetarStation* station = gf_findStation(m_scenario, airports != nullptr ? *airports : std::string(),
                                                 lf_number(fields, "lat"), lf_number(fields, "lon"));
    return json{{"status", 200}, {"wrrl", m_scenario.wrrl}, {"data", gf_weatherData(station)}};
}

json FeedServer::nearestMetar(const Fields& fields)
{
    if (!hasSession(fields))
        return lf_status(401, "session not known, authenticate again");
    lf_integer(fields, "toffset", 0, 0, lf_maxTimeOffset);
    return json{{"status", 200},
                {"data", gf_nearestMetarData(m_scenario, lf_number(fields, "lat"), lf_number(fields, "lon"))}};
}

} // namespace feedserver
