#include "foundation/sim_disconnect.h"

#include "foundation/log.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/utc_time.h"

#include <fmt/format.h>

void gf_stopOnSimDisconnect()
{
    if (g_stop)
        return;
    gf_log(fmt::format("{} Flight Simulator no longer connected, {} will stop ...", gf_utcClockText(),
                       g_shortDisplayName));
    gf_requestStop(RunState::SimWasClosed, 0);
}
