#pragma once
// Parked-traffic records: one member of a parked-traffic answer becomes zero or one record.
#include "feed/parked_record.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The stands that must stay free, taken once per answer.
struct ParkedLineContext {
    std::string reservedStand; // g_reservedStand of the traffic manager; empty = none
    std::string userStand;     // the stand of the user aircraft; empty = none
};
ParkedLineContext gf_parkedLineContext();

// The member `key` (the hexadecimal transponder address) with its array `line`: read, completed
// from the aircraft database, filtered and appended to `records`. Never raises.
void processParkedTrafficLine(const std::string& key, const nlohmann::json& line, const ParkedLineContext& context,
                              std::vector<ParkedTrafficRecord>& records);
