// The text boxes of the options panel: the blocked callsign, the callsign whose object id is
// shown, the destination and the simulator's path. What the tick's lists or the park-airport list
// must follow goes to the control thread as a request.
#include "app/edit_boxes.h"
#include "app/control_flags.h"
#include "app/panel_requests.h"
#include "app/startup_jobs.h"
#include "aircraft/cfg_key_lines.h"
#include "airports/apf_locations.h"
#include "airports/park_airports.h"
#include "foundation/install_detection.h"
#include "foundation/option_controls.h"
#include "foundation/option_table.h"
#include "foundation/parameter_file.h"
#include "foundation/paths.h"
#include "foundation/program.h"
#include "foundation/shell_state.h"
#include "foundation/status_line.h"

#include <algorithm>
#include <fmt/format.h>

namespace {

void lf_blockCallsignEntered()
{
    const std::string text = gf_getTextFromId(BLOCK_CALLSIGN.controlId);
    if (text.empty()) {
        gf_unblockCallsign(); // nothing when none is blocked
        return;
    }
    if (text.size() < 4 || text.size() > 8) {
        gf_showStatus(fmt::format("callsign '{}' is not valid", text), true);
    } else if (const std::string callsign = gf_toUpper(text); callsign == BLOCK_CALLSIGN.value.get()) {
        gf_showStatus(fmt::format("callsign '{}' was already set ...", callsign), true);
    } else {
        gf_setStringParameter(BLOCK_CALLSIGN, callsign);
        gf_showStringParameter(BLOCK_CALLSIGN);
        EnableWindow(g_unblockButton.hWnd, TRUE);
        gf_showStatus(fmt::format("live aircraft with callsign '{}' will be blocked", callsign), true);
        g_removeBlockedRequest = true;
        return;
    }
    gf_showStringParameter(BLOCK_CALLSIGN);
}

// Not kept in parameters.xml; the control thread looks the callsign up.
void lf_callsignLookupEntered()
{
    const std::string text = gf_getTextFromId(CALLSIGN_2_OBJECTID.controlId);
    if (text.empty() && CALLSIGN_2_OBJECTID.value.get().empty())
        return;
    CALLSIGN_2_OBJECTID.value.set(gf_toUpper(text));
    gf_showStringParameter(CALLSIGN_2_OBJECTID);
    if (!text.empty())
        g_callsignLookupRequest = true;
}

// Stored, saved and shown; "Re-read" waits while a destination holds the list's first place.
void lf_storeDestination(const std::string& code)
{
    gf_setStringParameter(DESTINATION, code);
    gf_showStringParameter(DESTINATION);
    gf_showStatus(fmt::format("New destination: {}", code), true);
    EnableWindow(g_rereadButton.hWnd, FALSE);
}

void lf_destinationEntered()
{
    const std::string text = gf_getTextFromId(DESTINATION.controlId);
    if (text.empty()) {
        DESTINATION.value.set({}); // for this run only
        EnableWindow(g_rereadButton.hWnd, TRUE);
        gf_showStatus("destination set to empty", true);
        return;
    }
    if (text.size() != 4) {
        gf_showStatus(fmt::format("destination '{}' is not valid", text), true);
    } else if (const std::string code = gf_toUpper(text); code == DESTINATION.value.get()) {
        gf_showStatus(fmt::format("destination '{}' was already set ...", code), true);
    } else if (const auto position = gf_findAirportPosition(code)) {
        lf_storeDestination(code);
        gf_requestDestination(code, *position); // the park-airport list is the control thread's
        return;
    } else {
        gf_showStatus(fmt::format("destination '{}' is unknown ...", code), true);
    }
    gf_showStringParameter(DESTINATION);
}

void lf_storeSimPathAndRestart(StringParameter& option, const fs::path& folder)
{
    gf_setStringParameter(option, gf_pathToUtf8(folder));
    gf_showStatus(fmt::format("Community path found, {} will restart ...", g_shortDisplayName), true);
    gf_requestNewRun(3);
}

// The option keeps the folder that holds the simulator's Community folder; the text may name
// either. Both separators are taken, and names match whatever their letter case.
void lf_newSimPath(StringParameter& option, std::string text)
{
    gf_clearStatusAndError(); // the start-up's "No install path detected" too
    if (text.empty()) {
        if (!option.value.get().empty())
            gf_setStringParameter(option, {});
        return;
    }
    std::replace(text.begin(), text.end(), '\\', '/');
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    const fs::path path = gf_resolveIgnoringCase(gf_pathFromUtf8(text));
    if (!gf_fileExists(path)) {
        gf_showStatus(fmt::format("This install path does not exist: {}", text), true);
    } else if (path.filename() == "Community" && path.has_parent_path()) {
        lf_storeSimPathAndRestart(option, path.parent_path());
    } else if (gf_fileExists(gf_resolveIgnoringCase(path / "Community"))) {
        lf_storeSimPathAndRestart(option, path);
    } else {
        gf_showStatus("This path exists but is not a path to Community ...", true);
    }
}

} // namespace

void gf_textBoxEntered(UiStringParameter& option)
{
    if (&option == &BLOCK_CALLSIGN)
        lf_blockCallsignEntered();
    else if (&option == &DESTINATION)
        lf_destinationEntered();
    else if (&option == &CALLSIGN_2_OBJECTID)
        lf_callsignLookupEntered();
    else if (&option == &ALL_INSTALL_PATH)
        lf_newSimPath(gf_simPackagesOption(), gf_getTextFromId(ALL_INSTALL_PATH.controlId));
}

void gf_setDestination(const std::string& code, const LatLon& position)
{
    lf_storeDestination(code);
    gf_setDestinationParkAirport(code, position);
}
