#pragma once
// The simulation variables the model knows, their quantities and the units they can be asked in.
#include "simconnect/sim_object.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct SimZulu {
    std::int64_t seconds = 0; // after midnight
    std::int64_t dayOfYear = 1;
    std::int64_t year = 2024;
};

enum class SimQuantity { Angle, Length, Speed, VerticalSpeed, Percent, Plain, Text };

struct SimVariable {
    const char* name; // upper case
    SimQuantity quantity;
    bool settable;
    // in the base unit of the quantity: degrees, feet, knots, feet per second, percent, plain number
    double (*get)(const SimObjectState&, const SimZulu&);
    void (*set)(SimObjectState&, double);
    std::string (*text)(const SimObjectState&);
};

// The variable of a name (case-insensitive), nullptr when unknown.
const SimVariable* gf_findSimVariable(std::string_view name);
// Factor from the base unit of the quantity to the named unit; nullopt when the unit does not fit.
std::optional<double> gf_unitFactor(SimQuantity quantity, const char* unit);
