#pragma once
// Newer data from the download site at start-up: versions.json names the versions on offer of the
// encrypted data files and of the archive of link files for the simulator's own add-on airports.

// Fetches what is newer than the installed copy or missing, and stores the versions. Every
// failure is logged; none stops the start-up, and one key's failure skips none of the others.
// A version is stored only once its download is installed, so that the next start tries again;
// the add-on folder's files are replaced only once every file of the archive was written, and its
// sub-folders that hold anything (the user's) stay.
// The downloaded archive is removed on every way out.
void gf_checkForUpdates();
