// Flight-plan files: their exact lines, escaping, failures, the folder's life, and the
// simulator model taking them.
#include "simlink_fixture.h"

#include "aircraft/size_class.h"
#include "foundation/paths.h"
#include "simlink/flight_plan.h"

#include <fmt/format.h>
#include <fstream>

using testsupport::SimLinkTest;

namespace {

std::vector<std::string> lf_lines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

class FlightPlans : public SimLinkTest {
protected:
    void SetUp() override
    {
        SimLinkTest::SetUp();
        gf_initDataPaths();
    }
};

} // namespace

TEST_F(FlightPlans, FileOfOneObjectHasItsTypeAndAirports)
{
    ASSERT_FALSE(fs::exists(g_dataFolder));
    ASSERT_TRUE(gf_createFlightPlanFolder());
    EXPECT_EQ(g_flightPlanFolder, g_dataFolder / "orig_dest");
    EXPECT_TRUE(gf_createFlightPlanFolder()); // a second start reuses it

    EXPECT_EQ(gf_flightPlanPath(123), fs::path("123.pln"));
    const fs::path path = g_flightPlanFolder / gf_flightPlanPath(123);
    ASSERT_TRUE(gf_writeFlightPlan(path, "EDDF", "LEPA", SizeClass::Large));
    const std::vector<std::string> expected{
        R"(<?xml version="1.0" encoding="UTF-8"?>)",
        R"(<SimBase.Document Type="AceXML" version="4,3">")",
        "<FlightPlan.FlightPlan>",
        "<FPType>IFR</FPType>",
        "<DepartureID>EDDF</DepartureID>",
        "<DestinationID>LEPA</DestinationID>",
        "</FlightPlan.FlightPlan>",
        "</SimBase.Document>",
    };
    EXPECT_EQ(lf_lines(path), expected);

    // overwritten, with the type of each size class: business jets fly by instruments
    for (const auto& [size, type] : {std::pair{SizeClass::Light, "VFR"}, {SizeClass::Buzjets, "IFR"},
                                     {SizeClass::Large, "IFR"}, {SizeClass::Heavy, "IFR"},
                                     {SizeClass::HighPerf, "VFR"}, {SizeClass::Rotorcraft, "VFR"}}) {
        ASSERT_TRUE(gf_writeFlightPlan(path, "EDDF", "LEPA", size));
        EXPECT_EQ(lf_lines(path)[3], fmt::format("<FPType>{}</FPType>", type)) << gf_sizeClassName(size);
    }
}

TEST_F(FlightPlans, SpecialCharactersAreEscapedAndTheSimulatorReadsThemBack)
{
    ASSERT_TRUE(gf_createFlightPlanFolder());
    connect();
    const std::uint32_t id = createOwn("FP1", 5);

    const fs::path path = g_flightPlanFolder / gf_flightPlanPath(id);
    ASSERT_TRUE(gf_writeFlightPlan(path, "A&B<C>", "\"D'E\"", SizeClass::Buzjets));
    EXPECT_EQ(lf_lines(path)[4], "<DepartureID>A&amp;B&lt;C&gt;</DepartureID>");
    ASSERT_GE(SimConnect_AISetAircraftFlightPlan(g_hSimConnect, id, path.c_str(), REQ_AI_FLIGHT_PLAN), 0);
    frame();
    EXPECT_FALSE(folder.logHas("===> SimConnect exception: load flight plan failed"));
    EXPECT_EQ(model->aiObject(id)->flightPlanDeparture, "A&B<C>");
    EXPECT_EQ(model->aiObject(id)->flightPlanDestination, "\"D'E\"");
}

TEST_F(FlightPlans, FailuresAreReportedAndTheFolderGoesAtCloseDown)
{
    EXPECT_TRUE(gf_removeFlightPlanFolder()); // never made: nothing to do
    ASSERT_TRUE(gf_createFlightPlanFolder());
    EXPECT_FALSE(gf_writeFlightPlan(g_flightPlanFolder / "missing" / "1.pln", "EDDF", "LEPA", SizeClass::Large));
    EXPECT_FALSE(fs::exists(g_flightPlanFolder / "missing"));
    // a device that takes no data: the open works, the write does not
    if (fs::exists("/dev/full")) {
        EXPECT_FALSE(gf_writeFlightPlan("/dev/full", "EDDF", "LEPA", SizeClass::Large));
    }

    ASSERT_TRUE(gf_writeFlightPlan(g_flightPlanFolder / "1.pln", "EDDF", "LEPA", SizeClass::Large));
    ASSERT_TRUE(gf_writeFlightPlan(g_flightPlanFolder / "2.pln", "EGLL", "KJFK", SizeClass::Heavy));
    EXPECT_TRUE(gf_removeFlightPlanFolder());
    EXPECT_FALSE(fs::exists(g_flightPlanFolder));
    EXPECT_TRUE(fs::exists(g_dataFolder));
}
