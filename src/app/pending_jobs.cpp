// Minimal versions of the shell's start-up, scan, destination, range and edit-box jobs.
#include "app/edit_boxes.h"
#include "app/startup_jobs.h"

void gf_runAirportScan() {}
void gf_setDestination(const std::string& /*code*/, const LatLon& /*position*/) {}
void gf_setAutoRange() {}
void gf_intBoxEntered(UiIntParameter& /*option*/) {}
void gf_floatBoxEntered(UiFloatParameter& /*option*/) {}
void gf_textBoxEntered(UiStringParameter& /*option*/) {}
