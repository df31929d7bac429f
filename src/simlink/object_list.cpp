#include "simlink/object_list.h"

std::vector<ObjectListEntry> g_objectList;
std::mutex g_objectListMutex;

void gf_pushObjectListEntry(const ObjectListEntry& entry)
{
    std::lock_guard lock(g_objectListMutex);
    g_objectList.push_back(entry);
}

std::vector<ObjectListEntry> gf_takeObjectList()
{
    std::vector<ObjectListEntry> taken;
    std::lock_guard lock(g_objectListMutex);
    taken.swap(g_objectList);
    return taken;
}

void gf_clearObjectList()
{
    std::lock_guard lock(g_objectListMutex);
    g_objectList.clear();
}
