#pragma once
// The functions through which the lower libraries reach the shell and the traffic manager,
// installed once at start.
#include <cstdint>

void gf_installAppHooks();

// The simulator link's half (its own file: the feed names its object-list hook like the
// simulator link's function).
void gf_installSimLinkHooks();
// Loading the park airport's half: the options panel, the park-file display, the feed's elevation.
void gf_installParkLoadHooks();
// The park-airport handling's half: the busy mode asked, the park airport shown.
void gf_installParkAirportHooks();
// The static parking's half: the busy mode, the parking figures and the park-traffic controls.
void gf_installStaticParkingHooks();
// The add-on airport scan's half: the reader's hand-off and the window's TBLO count.
void gf_installAirportScanHooks();
// Appends an object-list entry of the given kind for the feed.
void gf_appendFeedObjectListEntry(std::uint32_t objectId, std::uint32_t hexId, std::uint32_t kind);
