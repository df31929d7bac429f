#pragma once
// Names of the park airport's stands for the log lines.
#include <cstdint>
#include <string>

// "sid==0?" for id 0, "unknown" when no stand has the id.
std::string gf_standName(std::uint32_t standId);
