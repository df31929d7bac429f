#pragma once
// The aircraft database: filled once per process from the decrypted dbase file, read-only
// afterwards (all threads read it without locks).
#include "aircraft/size_class.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

using NameSet = std::set<std::string, std::less<>>;

struct DbaseRecord {
    std::string airl; // airline ICAO code
    std::string type; // ICAO type designator
    std::string opr;  // operator
    bool cargo = false;
};

struct ThirdPartyAirports {
    std::string publisher;
    std::vector<std::string> airports;
};

struct Dbase {
    NameSet aircraftTypes; // every valid ICAO type designator
    NameSet highPerformanceTypes;
    NameSet heavyTypes;
    NameSet largeTypes;
    NameSet buzjetTypes;
    NameSet rotorcraftTypes;
    NameSet cargoTypes;
    std::vector<std::vector<std::string>> similarTypes; // each group sorted, groups in file order
    NameSet icaoAirlines;
    NameSet cargoOperators;
    std::vector<std::vector<std::string>> publishers; // name variants, the first is the reported name
    std::map<std::string, double, std::less<>> halfWingspans; // nautical miles
    std::array<double, g_sizeClassCount> meanHalfWingspan{};  // by SizeClass
    double maxHalfWingspan = 0.0;
    std::unordered_map<std::string, std::string> typeFixes; // wrong type -> correct type
    NameSet simAddonAirports;
    std::vector<ThirdPartyAirports> thirdParties2020;
    std::vector<ThirdPartyAirports> thirdParties2024;
    std::unordered_map<std::string, DbaseRecord> records; // registration -> record
    std::vector<std::string> shortRecordKeys;             // keys of at most 5 characters, ascending
};

extern Dbase g_dbase;

// Empties every table (tests).
void gf_resetDbase();
