#include "foundation/reader_stop.h"

#include "foundation/shell_state.h"
#include "foundation/status_line.h"

#include <fmt/format.h>

void gf_stopOnReaderError(std::string_view name, bool restart)
{
    gf_showStatus(fmt::format("The {} has stopped with an error", name), true);
    if (restart)
        gf_requestStop(RunState::ReaderError, 15);
    else
        gf_requestStop(RunState::SystemError, 0);
}
