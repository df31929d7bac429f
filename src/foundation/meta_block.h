#pragma once
// The meta block of the XML files the program writes for itself: who wrote the file, with which
// version, when, and for which simulator.
#include "foundation/options.h"
#include "foundation/shared_text.h"

#include <pugixml.hpp>

// "MSFS" for the 2020 simulator, "MSFS2024" otherwise; set by the scans before they write files.
extern SharedText g_simFamily;
// Sets g_simFamily from the simulator in force (g_msfs2020Mode).
void gf_updateSimFamily();

// Appends `meta` with its five `info` entries (author, version, date, copyright, MSFS) to a
// document or element; false when any element or attribute could not be created.
bool gf_writeMetaInfo(pugi::xml_node parent);

// Stores the value of the top-level entry named like the record into the record; false (and an
// empty value) when there is none.
bool gf_readMetaInfo(const pugi::xml_document& doc, StringParameter& record);
