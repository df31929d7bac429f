#pragma once
// The read-only questions asked of the aircraft database.
#include "aircraft/dbase.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The first class set holding the type, tested as Large, Heavy, Buzjets, Rotorcraft, HighPerf;
// Light for any other type, the empty one included.
SizeClass gf_type2sizeClass(std::string_view type);
bool gf_isValidModel(std::string_view type);     // non-empty and a known type
bool gf_isIcaoAirline(std::string_view airline); // non-empty and a known airline code
// Half the wingspan in nautical miles; the mean of the type's class when it has no entry.
double gf_getHalfWingspan(std::string_view type);

// The forms of a registration to try, in order: DAIPX gives DA-IPX, D-AIPX, DAIPX.
std::vector<std::string> gf_regVariants(std::string_view registration);
// A copy of the record of the first form that is a key; nothing for an empty registration.
std::optional<DbaseRecord> gf_findDbaseRecord(std::string_view registration);
std::string gf_airlineOfReg(std::string_view registration);  // empty when there is no record
std::string gf_operatorOfReg(std::string_view registration); // empty when there is no record
// A record key of at most 5 characters occurring in the text (keys tried in ascending order).
std::optional<std::string> gf_findShortRecordKey(std::string_view text);

bool gf_containsIgnoreCase(std::string_view text, std::string_view part);
// The reported name of the first publisher one of whose names occurs in the text; "unknown".
std::string gf_findPublisher(std::string_view text);
