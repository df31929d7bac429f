#pragma once
// Made-up aircraft for the park airport's stands: with PARK_FAKE on every stand gets one soft
// option "FAKE<n>" / "REGFAKE<n>" for the current half hour, of an airline and type that suit
// the stand's kind, its size and the airport's region. They count as the airport's own options
// (fromApf 1) and are marked made up: no learned file takes them.
#include "airports/stand.h"

#include <string_view>
#include <vector>

// `code` is the airport's ICAO code; only its first letter counts. The choice among several
// candidates draws from the thread's generator (gf_randomGenerator).
void gf_fillFakeAircraft(std::string_view code, std::vector<Stand>& stands);
