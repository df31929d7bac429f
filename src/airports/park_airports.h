#pragma once
// What the run asks of the airport data: the airport list, the park airport and its stands,
// and the user's park-airport list.
#include "airports/airport.h"
#include "airports/park_airport_list.h"
#include "airports/park_data.h"
