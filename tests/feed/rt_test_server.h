#pragma once
// A stand-in for the live-traffic service on 127.0.0.1 (port chosen by the system): answers
// the five paths from scripts, records what it received and misbehaves on demand.
#include "platform/clock.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testsupport {

struct ServiceAnswer {
    int httpStatus = 200;
    std::string body;             // sent as application/json
    bool hang = false;            // holds the answer back until released (at most 20 s)
    bool closeConnection = false; // announces a body, then closes the connection
};

struct ServiceRequest {
    std::string body;
    std::map<std::string, std::string> fields; // the decoded form fields
    platform::SteadyTime at;                   // the program's clock when it arrived
};

class RtTestServer {
public:
    RtTestServer();
    ~RtTestServer();
    RtTestServer(const RtTestServer&) = delete;
    RtTestServer& operator=(const RtTestServer&) = delete;

    std::string baseUrl() const;

    // Answers of a path in turn; once they are used up the path's default answer follows
    // (a 404 when none is set). A path followed by '#' and a query type ("/v4/traffic#parkedtraffic")
    // scripts, and counts, the requests of that "querytype" only; they go before the plain path's.
    void queue(const std::string& path, ServiceAnswer answer);
    void setDefault(const std::string& path, ServiceAnswer answer);

    std::vector<ServiceRequest> requests(const std::string& path) const;
    std::size_t count(const std::string& path) const;
    // Requests that are being held back right now.
    std::size_t hanging() const;
    void releaseHanging();

private:
    ServiceAnswer nextAnswer(const std::string& path, const std::string& body);
    void holdBack();

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_releaseAll = false;
    std::size_t m_hanging = 0;
    std::map<std::string, std::deque<ServiceAnswer>> m_queued;
    std::map<std::string, ServiceAnswer> m_defaults;
    std::map<std::string, std::vector<ServiceRequest>> m_received;
};

} // namespace testsupport
