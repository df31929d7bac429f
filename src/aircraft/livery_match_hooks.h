#pragma once
// What the livery matching asks of the traffic manager, which sits above this library and
// installs these at start (tests install their own). Without them the descriptions are empty
// and no title counts as refused.
#include "aircraft/livery_match_ac.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct LiveryMatchHooks {
    std::function<std::string(const LiveryMatchAc&)> describeAc;     // gf_describeAc
    std::function<std::string(const LiveryMatchAc&)> describeAcLong; // gf_describeAcLong
    std::function<bool(std::string_view title)> isRefusedLivery;     // a title the simulator refused
    std::function<std::vector<std::string>()> getRefusedLiveries;    // gf_getRefusedLiveries
};

void gf_installLiveryMatchHooks(LiveryMatchHooks hooks);
void gf_resetLiveryMatchHooks();

std::string gf_matchDescribeAc(const LiveryMatchAc& ac);
std::string gf_matchDescribeAcLong(const LiveryMatchAc& ac);
bool gf_isRefusedLivery(std::string_view title);
std::vector<std::string> gf_refusedLiveryLines();
