#include "rt_test_server.h"

#include "form.h"

#include <chrono>
#include <httplib.h>
#include <optional>
#include <stdexcept>

namespace testsupport {

namespace {

const char* const lf_paths[] = {"/v4/auth", "/v4/deauth", "/v4/traffic", "/v4/weather", "/v4/nearestmetar"};

} // namespace

RtTestServer::RtTestServer() : m_server(std::make_unique<httplib::Server>())
{
    for (const char* path : lf_paths) {
        m_server->Post(path, [this, p = std::string(path)](const httplib::Request& req, httplib::Response& res) {
            const ServiceAnswer answer = nextAnswer(p, req.body);
            if (answer.hang)
                holdBack();
            if (answer.closeConnection) {
                res.set_content_provider(
                    100, "application/json", [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
                return;
            }
            res.status = answer.httpStatus;
            res.set_content(answer.body, "application/json");
        });
    }
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the test service cannot bind a port");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // a stop before the accept loop runs would be lost
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

RtTestServer::~RtTestServer()
{
    releaseHanging();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string RtTestServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

void RtTestServer::queue(const std::string& path, ServiceAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_queued[path].push_back(std::move(answer));
}

void RtTestServer::setDefault(const std::string& path, ServiceAnswer answer)
{
    std::lock_guard lock(m_mutex);
    m_defaults[path] = std::move(answer);
}

std::vector<ServiceRequest> RtTestServer::requests(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_received.find(path);
    return it == m_received.end() ? std::vector<ServiceRequest>{} : it->second;
}

std::size_t RtTestServer::count(const std::string& path) const { return requests(path).size(); }

std::size_t RtTestServer::hanging() const
{
    std::lock_guard lock(m_mutex);
    return m_hanging;
}

void RtTestServer::releaseHanging()
{
    {
        std::lock_guard lock(m_mutex);
        m_releaseAll = true;
    }
    m_released.notify_all();
}

ServiceAnswer RtTestServer::nextAnswer(const std::string& path, const std::string& body)
{
    std::lock_guard lock(m_mutex);
    const ServiceRequest request{body, feedserver::gf_decodeForm(body), platform::clock().steadyNow()};
    m_received[path].push_back(request);
    // the next queued answer, else the default one of `key`
    const auto lt_answer = [this](const std::string& key) -> std::optional<ServiceAnswer> {
        if (auto& queued = m_queued[key]; !queued.empty()) {
            ServiceAnswer answer = std::move(queued.front());
            queued.pop_front();
            return answer;
        }
        const auto it = m_defaults.find(key);
        return it == m_defaults.end() ? std::nullopt : std::optional(it->second);
    };
    // answers scripted for one query type ("/v4/traffic#parkedtraffic") come first
    if (const auto type = request.fields.find("querytype"); type != request.fields.end()) {
        const std::string typed = path + "#" + type->second;
        m_received[typed].push_back(request);
        if (auto answer = lt_answer(typed))
            return *answer;
    }
    return lt_answer(path).value_or(ServiceAnswer{404, "{\"status\":404}"});
}

void RtTestServer::holdBack()
{
    std::unique_lock lock(m_mutex);
    ++m_hanging;
    m_released.wait_for(lock, std::chrono::seconds(20), [this] { return m_releaseAll; });
    --m_hanging;
}

} // namespace testsupport
