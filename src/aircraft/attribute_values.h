#pragma once
// Values of the attributes of the data files: booleans and comma-separated lists.
#include <string>
#include <string_view>
#include <vector>

// True exactly when the text begins with '1', 't', 'T', 'y' or 'Y'.
bool gf_isTrueText(std::string_view text);

// Splits on ',' and trims every piece of blanks, tabs, carriage returns and line feeds. An empty
// text gives no pieces; adjacent commas or a trailing comma give an empty piece.
std::vector<std::string> gf_splitAndTrim(std::string_view text);
