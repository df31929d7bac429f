#pragma once
// The block in the log that tells at which step of the matching the live aircraft got their
// livery, and which titles the simulator refused to create.

// Nothing while no live aircraft was matched; the counters keep counting.
void gf_logLiveryMatchingSummary();
