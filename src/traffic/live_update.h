#pragma once
// The per-pass update of one live aircraft: the spawn gate while it collects samples, the
// motion and the position hand-over once it is active.
#include "traffic/live_ac.h"

// True when the record is to be erased (erase or eraseNow).
bool updateLiveAc(LiveAc& ac);
// Livery, flight state at birth, first position; the hex id goes onto the adding stack.
void spawnLiveAc(LiveAc& ac);
