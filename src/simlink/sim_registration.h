#pragma once
// What the program declares to the simulator right after a successful open.
#include <cstdint>

// System events, data definitions, client events and the notification group, in the order the
// simulator sees them. The results are not looked at: a refused registration comes back as a
// simulator exception.
void gf_registerWithSim();
void gf_addToAiEventGroup(std::uint32_t eventId);
