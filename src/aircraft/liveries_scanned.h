#pragma once
// LiveriesScanned.xml in the output folder: the scanned liveries between program starts, a meta
// block followed by `liveries` with one `liv` per record. Control thread only.
#include <filesystem>

// Writes g_liveryRecords; an empty list leaves any old file alone. A failed save is logged and
// gives false.
bool gf_writeLiveriesScanned();

// Replaces g_liveryRecords with the records of the file, sorted; the meta values go into their
// records. brv::UserErrorException on a missing or damaged file (51), no `liveries` section (52),
// a `liv` without a required attribute (999) or no liveries (533); the list is then empty.
void gf_readLiveriesScanned();
