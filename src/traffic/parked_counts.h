#pragma once
// The parked aircraft of the park airport counted and held to their maximum: the wanted number of
// parked aircraft, the removal of the longest-parked live ones and the oldest static ones, and
// the figures the main window shows of them. Control thread; the figures are read by the window.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct LiveAc;

// Written by gf_wantedParkedCount (the maximum of parked aircraft and its share of the stands, %)
// and by gf_countStaticAcInSim (the mean time the static aircraft have stood, hours).
extern std::atomic<std::int32_t> g_maxParked;
extern std::atomic<std::int32_t> g_maxParkedPercent;
extern std::atomic<float> g_meanStaticParkedHours;
// Written by gf_countParkedLiveAc with refresh: the mean time the live aircraft have stood, hours.
extern std::atomic<float> g_meanLiveParkedHours;

// MAX_PARK_SEL, or fewer by the parking percentage of the park airport's stands.
std::int32_t gf_wantedParkedCount();
// With `extra` aircraft about to park: the longest-parked live aircraft leaves when the live ones
// exceed the maximum (not with INITIAL_LOAD_ONLY), then the oldest static one when all exceed it.
// Nothing with RT_PARKTRAFFIC_ONLY or a maximum below 1.
void gf_enforceMaxPark(std::int32_t extra);
// The n longest-parked live aircraft leave.
void gf_removeParkedLiveAc(std::int32_t n);
// A live aircraft leaves to hold the maximum of parked aircraft, and is kept out while the
// airport is full (gf_keptOutWhileFull).
void gf_removeForMaxPark(LiveAc& ac);
// The aircraft left to hold the maximum and the live aircraft parked still reach it: it may not
// take a stand at its spawn. Once there is room again it is forgotten.
bool gf_keptOutWhileFull(const LiveAc& ac);
// A new run, or the park airport left.
void gf_forgetKeptOut();

// A parked live aircraft as the parking adjustment sees it.
struct ParkedLive {
    std::string callsign;
    std::uint32_t standId = 0;
    std::int32_t minutes = 0; // on the stand; 0 while the feed has not confirmed it there
};
// The active parked live aircraft, the shortest parked first. Without INITIAL_LOAD_ONLY one parked
// longer than 180 minutes (Heavy) or 90 (others) is removed instead.
std::vector<ParkedLive> gf_listParkedLiveAc();
