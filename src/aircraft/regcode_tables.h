#pragma once
// The containers of the livery tables that registration codes fill, and the way this code
// reaches them: the livery tables own the containers and know the installed titles, and install
// both here at start (tests install their own). Until then a set of containers of this file is
// used and no title counts as installed.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct RegcodeTables {
    std::unordered_map<std::string, std::string_view> specialRegistrations; // registration -> stored title
    std::vector<std::string_view> specialTitles;                            // one per special entry applied
    std::vector<std::string> dontUseTitles;                                 // titles a scan must refuse
};

// A view of the stored title equal to the text, or an empty view when it is not installed.
using FindLiveryTitleHook = std::function<std::string_view(std::string_view title)>;

void gf_installRegcodeTables(RegcodeTables& tables, FindLiveryTitleHook findLiveryTitle);
// Back to the containers of this file, empty, and no installed titles (tests).
void gf_resetRegcodeTables();

RegcodeTables& gf_regcodeTables();
std::string_view gf_findInstalledTitle(std::string_view title);

// One scanned livery with the registration painted on it (its ATC id).
struct PaintedRegcode {
    std::string_view airl;
    std::string_view type;
    std::string_view title;
    std::string_view atcid;
};
