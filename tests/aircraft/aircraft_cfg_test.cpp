// The key lines, section headers and section rules of aircraft.cfg files.
#include "aircraft/aircraft_cfg_reader.h"
#include "aircraft/cfg_key_lines.h"
#include "aircraft/livery_sections.h"
#include "scan_test_support.h"

#include <optional>

namespace {

class AircraftCfgTest : public ScanTest {};

// The value a key-line reader takes from the line, nullopt when it takes none (the value given
// then stays as it was).
std::optional<std::string> lf_read(bool (*reader)(std::string_view, std::string&), const std::string& line)
{
    std::string value = "kept";
    if (reader(line, value))
        return value;
    EXPECT_EQ(value, "kept") << line;
    return std::nullopt;
}

TEST_F(AircraftCfgTest, KeyLinesAreReadWhole)
{
    EXPECT_EQ(lf_read(gf_getTitle, "  TITLE =  \"A320 Air X\"  "), "A320 Air X");
    for (const char* line : {"title =", "title = \"\"", "subtitle = X", "title = A\rB"}) // \r: a line break
        EXPECT_EQ(lf_read(gf_getTitle, line), std::nullopt) << line;
    const std::string longTitle(100000, 'x'); // no length limit
    EXPECT_EQ(lf_read(gf_getTitle, "title = " + longTitle + std::string(100000, ' ')), longTitle);

    EXPECT_EQ(lf_read(gf_getAtcId, "atc_id = N123"), std::nullopt);
    EXPECT_EQ(lf_read(gf_getAtcId, "atc_id = N1234"), "N1234");
    EXPECT_FALSE(gf_hasAtcIdKey("atc_id = N1234"));
    EXPECT_TRUE(gf_hasAtcIdKey("atc_id=N1234"));

    EXPECT_EQ(lf_read(gf_getIcaoAirline, "icao_airline = zzzz"), "ZZZZ");
    EXPECT_EQ(lf_read(gf_getIcaoAirline, "icao_airline = \"\""), "ZZZ");
    EXPECT_EQ(lf_read(gf_getIcaoAirline, "ICAO_Airline=ZZZZ"), "ZZZ");
    EXPECT_EQ(lf_read(gf_getIcaoAirline, "icao_airline ="), std::nullopt);

    EXPECT_EQ(gf_getIcaoTypeDesignator("icao_type_designator = \"b738m\""), "B738");
    EXPECT_EQ(gf_getBaseContainerType("base_container = \"..\\Asobo_A320_NEO\""), "A20N");
    EXPECT_EQ(gf_getBaseContainerType("base_container = ../FlyByWire_A320_NEO"), "A20N");
    EXPECT_EQ(gf_getBaseContainerType("base_container = ..\\"), "");
    EXPECT_EQ(gf_getBaseContainerType("base_container = ..\\asobo_a320_neo"), "");

    for (const auto& [line, number] : std::vector<std::pair<std::string, std::string>>{
             {"//[fltsim.3]", ""}, {" [FltSim.3] ", "3"}, {"[fltsim.3] ; old", "10000"},
             {"texture = [FLTSIM.x]", "10000"}, {"[General]", ""}})
        EXPECT_EQ(gf_getFltsimNumber(line), number) << line;
}

TEST_F(AircraftCfgTest, SectionNumbersDecideWhetherAFileIsRead)
{
    EXPECT_TRUE(gf_checkFltsimNumbers({"[fltsim.0]", "[fltsim.10000]"}, "a.cfg"));
    EXPECT_FALSE(gf_checkFltsimNumbers({"[fltsim.0]", "[fltsim.10001]"}, "b.cfg"));
    EXPECT_FALSE(gf_checkFltsimNumbers({"[fltsim.99999999999]"}, "c.cfg"));
    EXPECT_TRUE(gf_checkFltsimNumbers({"[General]"}, "d.cfg"));
    EXPECT_EQ(g_invalidCfgFiles.lines(),
              (std::vector<std::string>{"b.cfg contains a [fltsim.x] section with a number < 0 or > 10000"}));
    EXPECT_EQ(g_emptyCfgFiles.lines(), (std::vector<std::string>{"d.cfg"}));
    EXPECT_THAT(log(), HasSubstr("===> fltsim num [fltsim.99999999999] incorrect\n"));
}

TEST_F(AircraftCfgTest, SectionsEndAtTheNextSectionByTheirLayout)
{
    const std::vector<std::string> lines{"[fltsim.0]", "title = A", "icao_airline = DLH", "  [General]",
                                         "atc_id = D-AAAA", "[fltsim.1]", "title = B", "texture = x[1]",
                                         "icao_airline = DLH", "atc_id = D-BBBB"};
    const auto records = gf_splitFltSimSections(1, lines, "A20N", "p/aircraft.cfg", "p");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].atcid, ""); // the [General] line ended the first section
    EXPECT_EQ(records[1].atcid, "D-BBBB");
    EXPECT_EQ(records[1].folderNumber, 1u);
}

TEST_F(AircraftCfgTest, StandardSectionRules)
{
    auto lt_section = [](std::vector<std::string> lines) {
        lines.insert(lines.begin(), "[fltsim.0]");
        return gf_procesFltSimSection(3, lines, "C172", "f/aircraft.cfg", "f");
    };
    EXPECT_TRUE(lt_section({"title = FenixA320 DLH", "icao_airline = DLH"}).empty());
    EXPECT_TRUE(lt_section({"title = Cessna-STUB", "icao_airline = DLH"}).empty());
    EXPECT_TRUE(lt_section({"title = Cessna RFO", "icao_airline = RFO"}).empty());
    const std::string missing = "f/aircraft.cfg [fltsim.0] icao_airline is missing, or it has invalid info ";
    EXPECT_EQ(g_incompleteSections.lines(), (std::vector<std::string>{missing, missing}));
    g_incompleteSections.clear();

    // an invalid 4-letter code is reported and a later airline line counts as the first
    auto records = lt_section({"title = Cessna DLH", "icao_airline = DLHA", "icao_airline = DLH",
                               "atc_parking_types = GATE, CARGO", "atc_id = D-EABC", "// end", ""});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].airl, "DLH");
    EXPECT_FALSE(records[0].cargo);
    EXPECT_EQ(g_invalidAirlineCodes.lines(), (std::vector<std::string>{"DLHA         in f/aircraft.cfg [fltsim.0]"}));

    records = lt_section({"title = Cessna Freight", "icao_airline = UPSC", "atc_parking_types = CARGO"});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].airl, "UPS");
    EXPECT_TRUE(records[0].cargo);

    EXPECT_TRUE(lt_section({"title = Cessna Two", "title = Cessna Three"}).empty());
    EXPECT_TRUE(lt_section({"title = Cessna Four", "atc_id=D-EFFF", "atc_id=D-EGGG"}).empty());
    EXPECT_TRUE(lt_section({"title = Cessna Five", "atc_parking_types = GA", "atc_parking_types = RAMP"}).empty());
    EXPECT_TRUE(lt_section({"title = Cessna DLH"}).empty()); // made before
    EXPECT_THAT(g_incompleteSections.lines(),
                ::testing::IsSupersetOf({"f [fltsim.0] has more than one title key",
                                         "f, [fltsim.0], has more than one atc_id key",
                                         "f [fltsim.0] has more than one atc_parking_types key",
                                         "f [fltsim.0] title 'Cessna DLH' already exists"}));
}

TEST_F(AircraftCfgTest, IvaoModelsComeFromTheFolderInEitherSeparator)
{
    EXPECT_EQ(gf_getIvaoModel("C:\\sim\\IVAO_MTL\\SimObjects\\Airplanes\\IVAO_B738WLfa\\aircraft.cfg"), "B738");
    EXPECT_EQ(gf_getIvaoModel("/sim/ivao_x-csl/SimObjects/Airplanes/IVAO_A20N/Aircraft.CFG"), "A20N");
    EXPECT_EQ(gf_getIvaoModel("/sim/IVAO_MTL/Airplanes/IVAO_B738/aircraft.cfg"), "");

    const std::string folder = "pk/IVAO_MTL/SimObjects/Airplanes/IVAO_B738WLfa";
    fs::create_directories(folder + "/texture.DLH");
    const auto lt_section = [&](const std::string& number, const std::string& title) {
        return gf_procesIvaoFltSimSection(1, {"[fltsim." + number + "]", title, "texture=DLH"}, "B738",
                                          folder + "/aircraft.cfg", folder);
    };
    auto record = lt_section("0", "title= B738W DLH winglets ");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->airl, "DLH");
    EXPECT_EQ(record->title, "B738W DLH winglets");
    EXPECT_FALSE(record->cargo);
    EXPECT_FALSE(lt_section("1", "title=B738 DLH plain"));
    record = lt_section("2", "title=b738w  BAW" + std::string(100000, 'x')); // no length limit
    ASSERT_TRUE(record);
    EXPECT_EQ(record->airl, "BAW");
}

} // namespace
