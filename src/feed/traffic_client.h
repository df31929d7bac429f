#pragma once
// The live-traffic client: the buffered first request with five snapshots, then the request
// loop at the interval the service prescribes; every answer goes through processLine and is
// handed to the traffic manager.
#include "feed/parked_record.h"
#include "feed/query_box.h"
#include "feed/rt_api_client.h"

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

class RtTrafficClient : public RtApiClient {
public:
    RtTrafficClient();

    // The first request with five snapshots; true when the answer carried data.
    bool buffer(std::int32_t& status);
    // The buffered request and the loop; always false, `status` tells why it ended
    // (9999: stop request).
    bool receive(std::int32_t& status);

    // The parked-traffic request taken over from the control thread (parked_request.h), made
    // between two live requests; its answer is handed back whatever happens.
    void parkedtraffic();

    // The answers in trafficText, read without waiting; JSON errors raise. The first request's
    // (true when it carried data) and the loop's (false leaves the loop). An answer asked under
    // another time shift than the one now in force is of another time and is set aside.
    bool takeBufferAnswer(std::int32_t& status, std::int32_t askedUnderShift);
    bool takeTrafficAnswer(std::int32_t& status, std::int32_t askedUnderShift);
    // The parked-traffic answer: its records, and the status handed back (0: read).
    void takeParkedAnswer(std::int32_t& status, std::vector<ParkedTrafficRecord>& records);

    // The traffic part of gf_resetRtClients; never raises.
    void resetForRun() noexcept;

    QueryBox queryBox() const;
    void updateQueryBox(const LatLon& position, double rangeNm);

    std::atomic<bool> trafficDataShown{false}; // the traffic lamp shows receiving
    CurlHandle trafficHandle;                  // "trcurl_"
    CurlHandle parkedHandle;                   // "ptcurl_"
    std::string trafficText;                   // reply of both handles

private:
    // g_liveCount, then the traffic manager (which also sets g_latestFeedTime), unless the batch
    // was asked under another time shift than the one in force; the batch is empty afterwards.
    void queueBatch(std::uint32_t delaySeconds, std::int32_t askedUnderShift);
    // Runs one request on trafficHandle; the transfer's result.
    CURLcode post(const std::string& body);

    mutable std::mutex m_boxMutex;
    QueryBox m_queryBox;
    LatLon m_boxCentre;
    double m_boxRadius = -1.0;
};

RtTrafficClient& gf_trafficClient();
