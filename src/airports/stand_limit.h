#pragma once
// The most stands one airport may have: far beyond any real airport (the largest have a few
// hundred), so that a file declaring more is malformed. The scan refuses a parking list that
// would pass it, and the loader a parking file that has more.
#include <cstddef>

inline constexpr std::size_t g_maxAirportStands = 5000;
