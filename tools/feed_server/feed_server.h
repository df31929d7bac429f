#pragma once
// The local stand-in for the live-traffic service: the /v4 paths on 127.0.0.1, answered from a
// scenario played in real time from the first login (before it, from the moment the server is
// bound), so that the program sees the same scenario however long its start took.
#include "scenario.h"

#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "platform/clock.h"

namespace httplib {
class Server;
}

namespace feedserver {

class FeedServer {
public:
    // `licenseKey`: the one access key the login accepts.
    FeedServer(Scenario scenario, std::string licenseKey);
    ~FeedServer();
    FeedServer(const FeedServer&) = delete;
    FeedServer& operator=(const FeedServer&) = delete;

    // Binds 127.0.0.1 at `port` (0: a free port chosen by the system) and starts the scenario's
    // clock, which starts again at the first login; the bound port. Raises std::runtime_error when the port cannot be bound.
    int bind(int port);
    // Serves until stop(); returns at once when not bound.
    void run();
    // Safe from any thread.
    void stop();

    // One line per login, logout and refusal; nothing when not set.
    void setLog(std::function<void(const std::string&)> log);

private:
    using Fields = std::map<std::string, std::string>;

    nlohmann::json auth(const Fields& fields);
    nlohmann::json deauth(const Fields& fields);
    nlohmann::json traffic(const Fields& fields);
    nlohmann::json weather(const Fields& fields);
    nlohmann::json nearestMetar(const Fields& fields);

    bool hasSession(const Fields& fields) const;
    void log(const std::string& line) const;

    const Scenario m_scenario;
    const std::string m_licenseKey;
    std::unique_ptr<httplib::Server> m_server;
    mutable std::mutex m_mutex; // m_start, m_loggedIn, m_sessions, m_log
    platform::SteadyTime m_start;
    bool m_loggedIn = false;
    std::set<std::string> m_sessions;
    std::function<void(const std::string&)> m_log;
};

} // namespace feedserver
