#include "aircraft/candidate_list.h"

namespace {

std::vector<std::string> g_emptyList;
std::vector<std::string> g_oneEntryList;

} // namespace

const std::vector<std::string>& gf_emptyCandidateList() { return g_emptyList; }

const std::vector<std::string>& gf_oneCandidateList(const std::function<std::string()>& picker)
{
    std::string text = picker();
    if (text.empty())
        return g_emptyList;
    g_oneEntryList.assign(1, std::move(text));
    return g_oneEntryList;
}
