#pragma once
// Loading the aircraft database from the encrypted file input/dbase.enc.
#include "aircraft/dbase.h"

#include <vector>

namespace pugi {
class xml_document;
}

// Decrypts input/dbase.enc to input/dbase.xml, fills g_dbase and removes the plain file again,
// also when loading fails. Raises std::runtime_error when the file is missing or cannot be
// decrypted, brv::UserErrorException 60 for XML that cannot be read and 61 for a required
// section without values. True after a complete load.
bool gf_readDbase();

// Adds every list item of `attribute` of every `entry` element of the top-level `section` to
// `target`; brv::UserErrorException 61 when the set is empty afterwards.
void gf_readXmlListSection(const pugi::xml_document& doc, const char* section, NameSet& target, const char* entry,
                           const char* attribute);
// The list of attribute "types" into a fresh set that then replaces `target`.
void gf_readTypeSection(const pugi::xml_document& doc, const char* section, NameSet& target, const char* entry);
// The list of attribute "codes" of the elements "ICAO".
void gf_readAirlineSection(const pugi::xml_document& doc, const char* section, NameSet& target);
// Appends one {pub, arpts} pair per entry element; never raises.
void gf_readThirdParties(const pugi::xml_document& doc, const char* section, std::vector<ThirdPartyAirports>& target,
                         const char* entry);
