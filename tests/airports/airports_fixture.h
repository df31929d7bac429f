#pragma once
// The airport tests: a temporary program folder with its airports/ and input/ folders, the log
// open, a download site in the folder site/ (file://), and the airport data, the aircraft
// database, the options and the user aircraft's state empty.
#include "aircraft/dbase.h"
#include "airports/airport.h"
#include "airports/park_data.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"
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
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// An airport list of these airports ("CODE lat lon" each) read as the program's list.
inline void loadAirports(const std::string& elements)
{
    writeFile("input/airports_msfs.xml", "<airports>" + elements + "</airports>");
    gf_resetAirportList();
    gf_readAirports("airports_msfs.xml");
}

// A parking file with these parkpos elements and parameters.
inline std::string apfText(const std::string& parkpos, const std::string& parameters = "")
{
    return "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/>"
           "</meta><parameters><parameter name='altitude' value='10'/>" +
           parameters + "</parameters><parkpositions>" + parkpos + "</parkpositions>";
}

class AirportsTest : public ::testing::Test {
protected:
    AirportsTest()
    {
        for (const fs::path* folder : {&g_userAirportFolder, &g_simAddonAirportFolder, &g_learnedFolder, &g_inputFolder})
            fs::create_directories(*folder);
        folder.setEnv("TRWK_DOWNLOAD_BASE_URL", "file://" + (folder.path() / "site").string() + "/");
        gf_resetOptions();
        gf_resetAirportList();
        gf_resetParkData();
        gf_resetDbase();
        gf_resetUserAcState();
        g_msfs2020Mode = true;
    }
    ~AirportsTest() override
    {
        gf_resetAirportList();
        gf_resetParkData();
        gf_resetDbase();
        gf_resetUserAcState();
    }

    // A file of the site's stock archive.
    static void putStock(const std::string& code, const std::string& text)
    {
        writeFile(fs::path("site/MSFS/archive/stock") / (code + ".xml"), text);
    }

    testsupport::LoggedFolder folder;
};

} // namespace airportstest
