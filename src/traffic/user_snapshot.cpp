#include "traffic/user_snapshot.h"

#include <mutex>

namespace {

std::mutex g_snapshotMutex;
UserAcData g_userSnapshot{};

} // namespace

UserAcData gf_copyUserSnapshot()
{
    std::lock_guard lock(g_snapshotMutex);
    return g_userSnapshot;
}

void gf_setUserSnapshot(const UserAcData& data)
{
    std::lock_guard lock(g_snapshotMutex);
    g_userSnapshot = data;
}

void gf_resetUserSnapshot() { gf_setUserSnapshot(UserAcData{}); }
