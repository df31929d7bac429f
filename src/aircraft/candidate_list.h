#pragma once
// The shared candidate lists handed to the livery matching: one that stays empty, and one that
// holds the single candidate of the last gf_oneCandidateList call. Used on the control thread.
#include <functional>
#include <string>
#include <vector>

const std::vector<std::string>& gf_emptyCandidateList();

// The one-entry list holding the picker's text, or the empty list when the text is empty. The
// reference stays valid until the next call.
const std::vector<std::string>& gf_oneCandidateList(const std::function<std::string()>& picker);
