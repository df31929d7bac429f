#pragma once
// The airport tests: a temporary program folder with its airport folders, the log open, a
// download site in site/ (file://), and the airport data, database, options and user state reset.
#include "aircraft/dbase.h"
#include "airports/airport.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "airports/scan_report.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "support/apf_text.h"
#include "support/logged_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace airportstest {

namespace fs = std::filesystem;

using testsupport::apfText;
using testsupport::readFile;
using testsupport::writeFile;

inline void loadAirports(const std::string& elements)
{
    writeFile("input/airports_msfs.xml", "<airports>" + elements + "</airports>");
    gf_resetAirportList();
    gf_readAirports("airports_msfs.xml");
}

class AirportsTest : public ::testing::Test {
protected:
    AirportsTest()
    {
        for (const fs::path* path : {&g_userAirportFolder, &g_simAddonAirportFolder, &g_inputFolder})
            fs::create_directories(*path);
        folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string() + "/");
        gf_resetOptions();
        reset();
    }
    ~AirportsTest() override { reset(); }
    static void reset()
    {
        gf_resetAirportList();
        gf_resetParkData();
        gf_resetParkApf();
        gf_resetDbase();
        gf_resetSimLinkState();
        g_scanReport.clear();
    }
    static void putStock(const std::string& code, const std::string& text)
    {
        writeFile(fs::path("site/MSFS/archive/stock") / (code + ".xml"), text);
    }

    testsupport::LoggedFolder folder;
};

} // namespace airportstest
