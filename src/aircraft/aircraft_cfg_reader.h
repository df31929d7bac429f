#pragma once
// Reading one aircraft.cfg into livery records: the standard reader, and the reader of the IVAO
// model-matching packages (paths holding "ivao_x-csl" or "IVAO_MTL"). Each runs as one scan task;
// many run at once.
#include "aircraft/livery_records.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using LiveryRecords = std::vector<LiveryRecord>;

LiveryRecords gf_searchLiveriesinFile(std::uint32_t folderNumber, const std::filesystem::path& path);
LiveryRecords gf_searchIvaoLiveriesinFile(std::uint32_t folderNumber, const std::filesystem::path& path);

// The section numbers of the whole file: false when one does not parse or lies outside 0..10000
// (listed as invalid); true without any header (listed as empty).
bool gf_checkFltsimNumbers(const std::vector<std::string>& lines, const std::string& path);

// Cutting the lines into [fltsim.N] sections (the lines move into them) and processing each.
LiveryRecords gf_splitFltSimSections(std::uint32_t folderNumber, std::vector<std::string> lines,
                                     const std::string& model, const std::string& path, const std::string& folder);
LiveryRecords gf_splitIvaoFltSimSections(std::uint32_t folderNumber, std::vector<std::string> lines,
                                         const std::string& model, const std::string& path,
                                         const std::string& folder);
