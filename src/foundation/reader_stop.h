#pragma once
// The stop rule of a reader or login that failed: tell the user and end the run.
#include <string_view>

// Shows "The {} has stopped with an error" (logged). Unless a stop is already under way the run
// ends as "READER ERROR" with a restart after 15 seconds (restart) or as "SYSTEM ERROR".
void gf_stopOnReaderError(std::string_view name, bool restart);
