#pragma once
// The frame handler: on every simulator frame the SimClient thread sends what the traffic
// manager queued.
#include "simlink/sim_records.h"

// The frame handler (SimClient thread). Never blocks: when the queue mutex is busy the frame
// sends nothing and everything stays queued.
void gf_onFrame();
// Sends one creation and remembers it as pending; used by the frame handler.
void gf_sendCreateRequest(const CreateRequest& request);
