#pragma once
// Form-encoded request bodies ("a=1&b=x+y%21").
#include <map>
#include <string>
#include <string_view>

namespace feedserver {

// The decoded fields; a field without '=' has an empty value, a later field of the same name
// wins, and a broken %-escape is kept as it is.
std::map<std::string, std::string> gf_decodeForm(std::string_view body);

} // namespace feedserver
