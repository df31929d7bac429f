#pragma once
// The reports of the SimClient thread to the traffic manager about simulator objects.
#include "simlink/sim_records.h"

#include <mutex>
#include <vector>

extern std::vector<ObjectListEntry> g_objectList; // under g_objectListMutex
extern std::mutex g_objectListMutex;

void gf_pushObjectListEntry(const ObjectListEntry& entry);
// Takes every report out of the list (the traffic manager, once per tick pass).
std::vector<ObjectListEntry> gf_takeObjectList();
void gf_clearObjectList();
