#pragma once
// The parked-traffic request: the control thread hands it to the Traffic Reader, which makes
// it between two live requests and hands the records back under a lock. Each request carries
// a sequence number, so an answer that comes after its request timed out is dropped.
#include "feed/parked_record.h"
#include "foundation/geometry.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct ParkedBox {
    double top = 52.44;
    double bottom = 52.17;
    double left = 4.54;
    double right = 4.98;
};

// The records of the last processed answer, their slots turned into half hours since the
// report. Control thread only: the reader's records are moved here by gf_receiveParkedTraffic.
extern std::vector<ParkedTrafficRecord> g_parkedRecords;
// A request is waiting for the Traffic Reader.
extern std::atomic<bool> g_parkedRequest;
// -1 pending, 0 processed, 1 no usable answer, otherwise the service's status.
extern std::atomic<std::int32_t> g_parkedStatus;

// The box of 3 nautical miles around a position.
ParkedBox gf_parkedBox(const LatLon& centre);

// Control thread: requests the parked traffic around the park airport and waits for it (about
// 10 seconds at most). True when g_parkedRecords holds a processed answer, aged, filtered,
// sorted and without duplicates. Statuses 400 and 403 raise std::runtime_error.
bool gf_receiveParkedTraffic();
// The same without waiting, for the tick: the request is raised, later passes look whether it is
// still pending (no answer yet, and its ten seconds not over), then take what came: true as above,
// false when nothing usable came (a time-out is logged as by gf_receiveParkedTraffic).
void gf_askParkedTraffic();
bool gf_parkedTrafficPending();
bool gf_takeParkedAnswer();

// The reader's side (RtTrafficClient::parkedtraffic): the box and sequence number of the
// request that is pending, false when there is none any more (it timed out).
bool gf_takeParkedRequest(ParkedBox& box, std::uint64_t& sequence);
// Hands over the answer to request `sequence`; dropped when that request is no longer waited for.
void gf_deliverParkedAnswer(std::uint64_t sequence, std::int32_t status, std::vector<ParkedTrafficRecord> records);

// Back to no request and no records (tests).
void gf_resetParkedTraffic();
