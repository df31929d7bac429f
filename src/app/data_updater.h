#pragma once
// Newer data from the download site at start-up: versions.json names the versions on offer of the
// encrypted data files and of the archive of link files for the simulator's own add-on airports.

// Fetches what is newer than the installed copy or missing, and stores the versions. Every
// failure is logged; none stops the start-up.
void gf_checkForUpdates();
