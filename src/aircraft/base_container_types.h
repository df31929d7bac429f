#pragma once
// The simulator's own aircraft models that livery packages name in `base_container`, with the
// ICAO type designator each is filed under. A process-wide constant table; names compare exactly.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

extern const std::unordered_map<std::string, std::string> BaseContainerTypes;

// The type designator of a model name, or nothing when the name is not in the table.
std::optional<std::string> gf_baseContainerType(const std::string& modelName);
