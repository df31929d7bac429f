#pragma once
// Installs the traffic manager's functions into the hooks of the feed and the livery matching.

void gf_installTrafficHooks();
