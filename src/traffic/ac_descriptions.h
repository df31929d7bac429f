#pragma once
// Key texts, callsign tests and the one-line descriptions of aircraft in the log.
#include "aircraft/size_class.h"
#include "traffic/ac_records.h"

#include <optional>
#include <string>
#include <string_view>

std::string gf_airlineTypeKey(const AcBase& ac); // "{:3} {:4}"
bool gf_sameAirlineAndType(const AcBase& a, const AcBase& b);
std::string gf_noMatchKey(const AcBase& ac); // the airline-type key, a blank, the registration
// Not empty, not "@@@@@@@@" and at most 8 characters.
bool gf_isUsableCallsign(const AcBase& ac);
// The upper-cased first three characters of a callsign of three letters and a digit (and more).
std::optional<std::string> gf_callsignAirline(std::string_view callsign);
// Takes the airline named by the callsign; false when it names none.
bool gf_airlineFromCallsign(AcBase& ac);
std::string gf_routeText(const AcBase& ac);
std::string gf_callsignText(const AcBase& ac);
std::string gf_describeAcShort(const AcBase& ac);
std::string gf_describeAc(const AcBase& ac);
std::string gf_describeAcLong(const AcBase& ac);
// Light, HighPerf and Rotorcraft only with their options; the others always.
bool gf_isSizeClassEnabled(SizeClass sizeClass);
