#pragma once
// The fields of the traffic manager's aircraft record that the livery matching reads and writes;
// the record of the traffic manager builds on it.
#include "aircraft/size_class.h"

#include <string>
#include <string_view>

struct LiveryMatchAc {
    std::string airline;      // ICAO airline code of the flight; may be empty
    std::string type;         // ICAO type designator
    std::string registration; // may be empty
    SizeClass sizeClass = SizeClass::Large;
    bool cargo = false;
    std::string_view liveryTitle; // a view into the livery tables, never owned; empty: no livery
    bool reverser = false;        // set for an FSLTL livery
};

// The title as an owned copy: what is handed on to the simulator link, which must not hold views
// into tables that may be cleared and rebuilt while its requests wait.
inline std::string gf_ownedLiveryTitle(const LiveryMatchAc& ac) { return std::string(ac.liveryTitle); }
