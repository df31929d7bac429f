#include "aircraft/livery_records.h"

#include <algorithm>
#include <tuple>

std::vector<LiveryRecord> g_liveryRecords;

bool gf_compareLiveryRecords(const LiveryRecord& a, const LiveryRecord& b)
{
    return std::tie(a.airl, a.type, a.title) < std::tie(b.airl, b.type, b.title);
}

void gf_sortLiveryRecords(std::vector<LiveryRecord>& records)
{
    std::stable_sort(records.begin(), records.end(), gf_compareLiveryRecords);
}
