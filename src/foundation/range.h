#pragma once
// The traffic range: RANGE, the range in nautical miles and the simulator's request radius,
// and the rounding of ranges and heights to the choices of their options.
#include <cstdint>

// Sets RANGE to `nm` clamped to its limits and selects it in its combo box; g_rangeNm and
// g_rangeMeters (nm x 1852 + 10000) follow the value as given.
void gf_setRange(std::int32_t nm);

// A range in nautical miles rounded to one of RANGE's choices.
std::int32_t gf_snapRange(std::int32_t nm);
// A height in feet rounded to one of the height choices (2000 to 18000 by 2000, 36000, 48000).
std::int32_t gf_snapHeight(std::int32_t feet);
// A count of live or parked aircraft rounded to one of the choices 0, 10, 25, 50, 75, 100, 500.
std::int32_t gf_snapCount(std::int32_t n);
// An airport range in nautical miles rounded to one of the choices 5, 10, 15, 20, 25, 30.
std::int32_t gf_snapAirportRange(std::int32_t nm);
