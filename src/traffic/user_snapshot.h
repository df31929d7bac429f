#pragma once
// The traffic manager's copy of the user aircraft's data, refreshed every 100th tick pass and
// while the run waits for the user aircraft; read by the feed through its hook.
#include "simlink/sim_records.h"

UserAcData gf_copyUserSnapshot();
void gf_setUserSnapshot(const UserAcData& data);
// All zero again (a new run).
void gf_resetUserSnapshot();
