#pragma once
// The options file parameters.xml in the per-user data folder: the load at the start of a run,
// and one saver per value kind that writes a single option at once. Every read-modify-write of
// the file runs under one lock, and every write replaces the file whole (safe_save.h).
#include "foundation/options.h"

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

// The selection of an option's element; the first match is the one used.
inline constexpr const char* g_parameterXPath = "/parameters/parameter[@name='{}']";

// Log lines of one option: "KEY=true", "KEY=40", KEY="text"; silent once a stop was requested.
void gf_logBoolParameter(const BoolParameter& option);
void gf_logIntParameter(const IntParameter& option);
void gf_logStringParameter(const StringParameter& option);

// A text option whose key contains "lfolder": one of the user's own livery folders.
bool gf_isFolderParameter(const StringParameter& option);

// Reading one option from a loaded document; false (and the default taken) when it is absent.
bool gf_loadBoolParameter(BoolParameter& option, const pugi::xml_document& doc);
bool gf_loadIntParameter(IntParameter& option, const pugi::xml_document& doc, bool log);
bool gf_loadStringParameter(StringParameter& option, const pugi::xml_document& doc);
bool gf_loadFolderParameter(StringParameter& option, const pugi::xml_document& doc); // logs only a value
// Read; when absent, append the element with the (default) value to the `parameters` element.
// True when the element was there.
bool gf_readOrAddBoolParameter(pugi::xml_document& doc, BoolParameter* option);
bool gf_readOrAddIntParameter(pugi::xml_document& doc, IntParameter* option);

// Entries of a new document: append the option's element with its default, take the default, log.
void gf_initBoolParameter(BoolParameter& option, pugi::xml_node root);
void gf_initIntParameter(IntParameter& option, pugi::xml_node root);
void gf_initStringParameter(StringParameter& option, pugi::xml_node root);

// A `parameter` element with `name` and `value` appended to an element or document node.
bool gf_appendParameterNode(pugi::xml_node node, const std::string& name, const std::string& value);
bool gf_appendBoolParameterNode(pugi::xml_node node, const std::string& name, bool flag);
bool gf_appendIntParameterNode(pugi::xml_node node, const std::string& name, std::int32_t number);
// Sets the `value` attribute of a selected element; nothing without a selection or attribute.
void gf_setParameterNodeValue(const pugi::xpath_node& selected, const std::string& text);
// Appends an attribute "true"/"false" to any element.
bool gf_appendBoolAttribute(pugi::xml_node element, const char* attributeName, bool flag);

// The options that parameters.xml held before the load added the missing ones.
using FoundParameters = std::vector<const Parameter*>;

// The start-up load: reads every option of the six lists from parameters.xml (null entries are
// skipped), adds the missing ones with their defaults, drops empty folder entries, shows the
// values of the listed controls, and saves the file. Without a readable file every option takes
// its default and a new file is written with all of them but the folder options. Options of the
// lists that are also in `readOnly` are read when the file holds them and never added.
// Returns the options found in the file.
FoundParameters gf_readParameterFile(const std::vector<BoolParameter*>& bools,
                          const std::vector<UiBoolParameter*>& checkBoxBools,
                          const std::vector<IntParameter*>& ints,
                          const std::vector<UiIntParameter*>& shownInts,
                          const std::vector<StringParameter*>& texts,
                          const std::vector<UiStringParameter*>& shownTexts,
                          const std::vector<const Parameter*>& readOnly = {});

// Write one option's current value into parameters.xml at once (a new file with only this option
// when the file is missing or unreadable); "Saving '{}' failed" in the log when it cannot be written.
void gf_saveBoolParameter(const BoolParameter& option);
void gf_saveIntParameter(const IntParameter& option);
void gf_saveStringParameter(const StringParameter& option);
// Stores a text as the option's value and saves it.
void gf_setStringParameter(StringParameter& option, const std::string& text);

// Removes the option's element from parameters.xml: 1 when it was there, 0 otherwise.
int gf_removeParameter(const Parameter& option);
