#pragma once
// The airport parking file: three top-level elements, `meta` (who wrote it), `parameters` (the
// parameter block) and `parkpositions` (one `parkpos` per stand with its `opt` children). The
// same format serves the stock files of the download site, the files the add-on airport scan
// generates, the learned files and handmade files (learned files with `handmade`).
#include "airports/stand.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

// An airport parking file as loaded.
using Apf = pugi::xml_document;

// Writer modes: a learned file (the traffic manager's learning) or a full file (the scan).
inline constexpr std::uint32_t g_apfLearnedMode = 0;
inline constexpr std::uint32_t g_apfFullMode = 1;

// Writes `meta`, the parameter block and the stands; true when saved. A handmade file (a learned
// file the user keeps by hand) carries `handmade` and every attribute of every stand; the scan's
// full files are never handmade. The old file stays whole when the save fails.
bool gf_writeApf(const ApfParameters& params, const std::filesystem::path& path, std::uint32_t mode, bool handmade);
// Appends `parameters` with its `parameter` children; false when it cannot be appended.
bool gf_writeApfParameters(pugi::xml_node parent, const ApfParameters& params, std::uint32_t mode, bool handmade);

// Reads one `parkpos` into a new stand named `name`, appended to `stands`; `fromApf` goes into
// every option. A parkpos at latitude and longitude 0 is ignored, one without a valid position
// is logged and ignored. `hoursLog` is the file's: a file logs only its first invalid half hours.
void gf_readParkpos(const pugi::xml_node& parkpos, const std::string& name, std::uint32_t fromApf,
                    std::vector<Stand>& stands, HalfHourLog& hoursLog);

// One `opt` as a stand option with this number.
StandOption gf_readStandOption(const pugi::xml_node& opt, std::int32_t optionId, std::uint32_t fromApf,
                               HalfHourLog& hoursLog);
// A number read from a file: NaN and the infinities read as 0.
double gf_finiteOrZero(double value);

struct OptIdentity {
    std::string cs;
    std::string cs2;
    std::string airl;
    std::string type;
};
// The identity texts of one `opt`: a registration the aircraft database knows gives the type
// and the operator (else the airline) whatever the attributes say.
OptIdentity gf_readOptIdentity(const pugi::xml_node& opt);

// Typed parameters (/parameters/parameter[@name=key]): empty when there is no such element; an
// element without `value` gives false, 0 or an empty text. Numbers saturate at the 32-bit limits.
std::optional<bool> gf_getApfBool(const Apf& doc, std::string_view key);
std::optional<std::int32_t> gf_getApfInt(const Apf& doc, std::string_view key);
std::optional<std::string> gf_getApfString(const Apf& doc, std::string_view key);
// A parameter that must be a boolean ("true", "false", "1", "0"): empty for a missing one and for
// any other value, such as the "28" that older learned files hold under WEEK.
std::optional<bool> gf_getApfStrictBool(const Apf& doc, std::string_view key);

// The file's `publisher`; empty when it cannot be loaded or has none.
std::string gf_readApfPublisher(const std::filesystem::path& path);
// Empty when the publisher is known; otherwise "manufacturer=..., creator=..." for the scan
// report, or "'path' not found)" when the file cannot be loaded.
std::string gf_readApfMakerInfo(const std::filesystem::path& path);
