#pragma once
// Registration codes: the shipped list input/AIG-regcodes.xml (decrypted by the caller) and the
// user's text files in input/my_regcodes. A title without registrations must never be used.
#include <filesystem>
#include <string>
#include <vector>

struct RegcodeEntry {
    std::string title;
    std::vector<std::string> regcodes; // ascending, no duplicates; empty for a don't-use title
    bool special = false;              // the livery belongs to exactly these registrations
};

// Appends the entries of input/AIG-regcodes.xml. False when the file could not be loaded or a
// title repeated the one before it.
bool gf_readAigRegcodes(std::vector<RegcodeEntry>& entries);

// Appends the entries of every *.txt file directly in the folder (in name order), each read in
// its own charset. False when a line was rejected or the folder could not be read.
bool gf_readMyRegcodes(const std::filesystem::path& folder, std::vector<RegcodeEntry>& entries);
