#pragma once
// The model of an aircraft.cfg and the checks of its [fltsim.N] livery sections: which section
// becomes a LiveryRecord, with which airline, ATC id and cargo flag, and which findings it leaves.
// Run by many scan tasks at once; the database and the options are only read.
#include "aircraft/livery_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using SectionLines = std::vector<std::string>; // the header line first

// A model code checked against the database: valid, fixed (with a code-fix entry), or empty
// (with an invalid-model entry).
std::string gf_validateModel(const std::string& code, const std::string& path);
// The model of a standard file: icao_type_designator, else base_container; empty without one.
std::string gf_getModel(const std::string& path, const std::vector<std::string>& lines);
std::string gf_getModelFromBaseContainer(const std::string& path, const std::vector<std::string>& lines);
// The model of an IVAO file from its aircraft folder ...\SimObjects\Airplanes\IVAO_<model>\aircraft.cfg.
std::string gf_getIvaoModel(const std::string& path);

// Splits on ",": invalid when a piece is empty, longer than 12 or holds "*"; a single piece
// becomes the output, several give an empty one.
bool gf_checkAtcId(const std::string& atcId, std::string& output);

// The record of a new title, or nothing when the title was made into a record before.
std::optional<LiveryRecord> gf_makeLiveryRecord(std::uint32_t folderNumber, const std::string& airline,
                                                const std::string& model, bool passenger, const std::string& title,
                                                const std::string& atcId);

// A standard section: no record or one.
std::vector<LiveryRecord> gf_procesFltSimSection(std::uint32_t folderNumber, SectionLines section,
                                                 const std::string& model, const std::string& path,
                                                 const std::string& folder);
// An IVAO section: nothing when refused.
std::optional<LiveryRecord> gf_procesIvaoFltSimSection(std::uint32_t folderNumber, SectionLines section,
                                                       const std::string& model, const std::string& path,
                                                       const std::string& folder);
