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
#include "support/logged_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace airportstest {

namespace fs = std::filesystem;

inline void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(fs::absolute(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void loadAirports(const std::string& elements)
{
    writeFile("input/airports_msfs.xml", "<airports>" + elements + "</airports>");
    gf_resetAirportList();
    gf_readAirports("airports_msfs.xml");
}

// A parking file with these parkpos and parameter elements.
inline std::string apfText(const std::string& parkpos, const std::string& parameters = "")
{
    return "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/>"
           "</meta><parameters>" + parameters + "</parameters><parkpositions>" + parkpos + "</parkpositions>";
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
