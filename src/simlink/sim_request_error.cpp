#include "simlink/sim_request_error.h"

#include "foundation/shell_state.h"
#include "foundation/status_line.h"
#include "simlink/sim_state.h"

void gf_onSimConnectRequestError()
{
    gf_showStatus("SimConnect request error", true);
    g_simRequestError = true;
    gf_requestStop(RunState::SimConnectError, 9);
}
