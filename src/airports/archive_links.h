#pragma once
// What the add-on airport scan keeps of each airport the BGL reader finds: a link to the
// airport's file in the download archive (airports/my_simaddon or airports/my_thirdparty,
// CODE.txt holding the archive path), a parking file generated from the scenery, both, or
// nothing. Airports whose records cannot be decoded are recognised by their file and package
// names and linked. Every step writes its line to the scan report.
#include "airports/bgl_reader.h"

#include <atomic>

// Set whenever a link or a parking file was written; the scan clears it when it starts.
extern std::atomic<bool> g_scanFoundAny;

// The reader's hand-off of the scan: link, generation and unrecognised airports as above. The
// application installs it at start (gf_setBglHandoff).
BglHandoff gf_archiveHandoff();
