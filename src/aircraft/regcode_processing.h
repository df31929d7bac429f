#pragma once
// Registration codes into the livery tables: painted registrations, then the shipped list, then
// the user's files (a later source wins), with the regcode report output/info/OfflineRegcodes.txt.
// Runs on the control thread while no run is active.
#include "aircraft/regcode_files.h"
#include "aircraft/regcode_tables.h"

#include <filesystem>
#include <string>
#include <vector>

extern std::vector<std::string> g_regcodeReport;

extern const std::filesystem::path g_offlineRegcodesPath;

// Enters every painted registration of the scanned liveries; clashes go to
// output/errors/InlineRegcodes.txt.
void gf_findInlineRegcodeClashes(const std::vector<PaintedRegcode>& liveries);
// Clears the report, decrypts and applies the shipped list, applies the user's files and
// writes the report.
void gf_processRegcodes();
void gf_processAigRegcodes();
void gf_processMyRegcodes();
void gf_applyRegcodes(const std::vector<RegcodeEntry>& entries);

// The don't-use titles at the start of a scan: from the decrypted shipped list, and from the
// user's folder.
void gf_readAigDontUseTitles();
void gf_readMyDontUseTitles();
