#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "aircraft_test_support.h"
#include "foundation/decrypt.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"

#include <cmath>
#include <map>

using namespace aircrafttest;

namespace {

constexpr double g_nmPerMetre = 0.0005399568034557236;

// A small database with every section; a test may drop or replace sections.
std::map<std::string, std::string> lf_sections()
{
    return {
        {"aircrafts", R"(<aircrafts><aircraft types="A320,A321,B744,B748"/><aircraft types="C172,EC35,F16,C25C,A319"/></aircrafts>)"},
        {"high_performance", R"(<high_performance><hpf types="F16"/></high_performance>)"},
        {"heavy", R"(<heavy><hvy types="B744,B748"/></heavy>)"},
        {"large", R"(<large><lar types="A319,A320,A321"/></large>)"},
        {"buzjet", R"(<buzjet><bzj types="C25C"/></buzjet>)"},
        {"rotorcraft", R"(<rotorcraft><rot types="EC35"/></rotorcraft>)"},
        {"cargo_types", R"(<cargo_types><cargo_type types="B744"/></cargo_types>)"},
        {"similar_types", R"(<similar_types><similar types="A321,A319,A320"/><similar types="B748,B744"/></similar_types>)"},
        {"ICAO_airlines", R"(<ICAO_airlines><ICAO codes="DLH,BAW"/><ICAO codes="ZZZ"/></ICAO_airlines>)"},
        {"cargo_operators", R"(<cargo_operators><ICAO codes="GEC,BOX"/></cargo_operators>)"},
        {"publishers", R"(<publishers><pub names="Orbit, ORBIT Works"/><pub names="Alpine Scenery"/><pub names="Orbit, ORBIT Works"/></publishers>)"},
        {"wingspans", R"(<wingspans><wingspan type="A320" meters="34.1"/><wingspan type="A321" meters="35.8"/>)"
                      R"(<wingspan type="B744" meters="64.4"/><wingspan type="C172" meters="11"/></wingspans>)"},
        {"fixes", R"(<fixes><fx wro="A320N" cor="A320"/><fx wro="B747" cor="B744"/></fixes>)"},
        {"simaddons20", R"(<simaddons20><simaddon20 arpts="EDDF,EGLL"/><simaddon20 arpts="KJFK"/></simaddons20>)"},
        {"thirdparties20", R"(<thirdparties20><thirdpartie20 pub="Orbit" arpts="EDDM, LOWI"/><thirdpartie20 pub="Alpine Scenery" arpts="LSZH"/></thirdparties20>)"},
        {"thirdparties24", R"(<thirdparties24><thirdpartie24 pub="Orbit" arpts="EDDM"/></thirdparties24>)"},
        {"dbase", R"(<dbase><db reg="D-ABYA" airl="DLH" type="B748" opr="" cargo="0"/>)"
                  R"(<db reg="D-AALA" airl="BOX" type="B77L" opr="GEC" cargo="1"/>)"
                  R"(<db reg="N1YP" airl="ZZZ" type="C172"/></dbase>)"},
    };
}

std::string lf_document(const std::map<std::string, std::string>& sections)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- test database -->\n";
    for (const auto& [name, body] : sections)
        text += body + "\n";
    return text;
}

class DbaseReaderTest : public AircraftTest {
protected:
    void writeDbase(const std::string& text) { writeEncrypted(g_dbaseEncPath, text); }
};

TEST_F(DbaseReaderTest, LoadsEverySectionOfADocumentWithSeveralTopLevelElements)
{
    writeDbase(lf_document(lf_sections()));
    ASSERT_TRUE(gf_readDbase());

    EXPECT_EQ(g_dbase.aircraftTypes, (NameSet{"A319", "A320", "A321", "B744", "B748", "C172", "C25C", "EC35", "F16"}));
    EXPECT_EQ(g_dbase.heavyTypes, (NameSet{"B744", "B748"}));
    EXPECT_EQ(g_dbase.cargoTypes, (NameSet{"B744"}));
    ASSERT_EQ(g_dbase.similarTypes.size(), 2u);
    EXPECT_EQ(g_dbase.similarTypes[0], (std::vector<std::string>{"A319", "A320", "A321"}));
    EXPECT_EQ(g_dbase.similarTypes[1], (std::vector<std::string>{"B744", "B748"}));
    EXPECT_EQ(g_dbase.icaoAirlines, (NameSet{"BAW", "DLH", "ZZZ"}));
    EXPECT_EQ(g_dbase.cargoOperators, (NameSet{"BOX", "GEC"}));
    // one entry per distinct names text, ordered by the whole text
    ASSERT_EQ(g_dbase.publishers.size(), 2u);
    EXPECT_EQ(g_dbase.publishers[0], (std::vector<std::string>{"Alpine Scenery"}));
    EXPECT_EQ(g_dbase.publishers[1], (std::vector<std::string>{"Orbit", "ORBIT Works"}));
    EXPECT_DOUBLE_EQ(g_dbase.halfWingspans.at("A320"), 34.1 * 0.5 * g_nmPerMetre);
    EXPECT_DOUBLE_EQ(g_dbase.maxHalfWingspan, 64.4 * 0.5 * g_nmPerMetre);
    EXPECT_EQ(g_dbase.typeFixes.at("B747"), "B744");
    EXPECT_EQ(g_dbase.simAddonAirports, (NameSet{"EDDF", "EGLL", "KJFK"}));
    ASSERT_EQ(g_dbase.thirdParties2020.size(), 2u);
    EXPECT_EQ(g_dbase.thirdParties2020[0].publisher, "Orbit");
    EXPECT_EQ(g_dbase.thirdParties2020[0].airports, (std::vector<std::string>{"EDDM", "LOWI"}));
    ASSERT_EQ(g_dbase.thirdParties2024.size(), 1u);
    ASSERT_EQ(g_dbase.records.size(), 3u);
    const auto& cargo = g_dbase.records.at("D-AALA");
    EXPECT_EQ(cargo.airl, "BOX");
    EXPECT_EQ(cargo.type, "B77L");
    EXPECT_EQ(cargo.opr, "GEC");
    EXPECT_TRUE(cargo.cargo);
    EXPECT_FALSE(g_dbase.records.at("N1YP").cargo);

    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
    const std::string text = log();
    EXPECT_NE(text.find("\n   2 publishers\n"), std::string::npos);
    EXPECT_NE(text.find("\n3 dbase records read\n"), std::string::npos);
    EXPECT_EQ(text.find("===>"), std::string::npos);
}

TEST_F(DbaseReaderTest, SectionOrderDoesNotMatter)
{
    std::string text = "<?xml version=\"1.0\"?>\n";
    const auto sections = lf_sections();
    for (auto it = sections.rbegin(); it != sections.rend(); ++it)
        text += it->second;
    writeDbase(text);
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(g_dbase.records.size(), 3u);
    EXPECT_EQ(g_dbase.halfWingspans.size(), 4u);
}

TEST_F(DbaseReaderTest, EachRequiredSectionMissingStopsTheLoadWithItsError)
{
    const std::vector<std::array<std::string, 3>> required{
        {"aircrafts", "aircraft", "types"},         {"high_performance", "hpf", "types"},
        {"heavy", "hvy", "types"},                  {"large", "lar", "types"},
        {"buzjet", "bzj", "types"},                 {"rotorcraft", "rot", "types"},
        {"cargo_types", "cargo_type", "types"},     {"ICAO_airlines", "ICAO", "codes"},
        {"cargo_operators", "ICAO", "codes"},       {"simaddons20", "simaddon20", "arpts"},
    };
    for (const auto& [section, entry, attribute] : required) {
        SCOPED_TRACE(section);
        gf_resetDbase();
        auto sections = lf_sections();
        sections.erase(section);
        writeDbase(lf_document(sections));
        try {
            gf_readDbase();
            ADD_FAILURE() << "no exception";
        } catch (const brv::UserErrorException& e) {
            EXPECT_EQ(e.code(), 61);
            EXPECT_EQ(std::string(e.what()), "In XML file section [" + section + "], element [" + entry +
                                                 "], attribute [" + attribute + "] is empty.");
        }
        // the plain copy never stays behind
        EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
    }
}

TEST_F(DbaseReaderTest, ASectionWhoseEntriesLackTheAttributeCountsAsEmpty)
{
    auto sections = lf_sections();
    sections["heavy"] = R"(<heavy><hvy other="B744"/></heavy>)";
    writeDbase(lf_document(sections));
    EXPECT_THROW(gf_readDbase(), brv::UserErrorException);
}

TEST_F(DbaseReaderTest, OptionalSectionsMayBeMissing)
{
    auto sections = lf_sections();
    for (const auto* name : {"similar_types", "publishers", "wingspans", "fixes", "thirdparties20", "thirdparties24", "dbase"})
        sections.erase(name);
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(g_dbase.similarTypes.empty());
    EXPECT_TRUE(g_dbase.publishers.empty());
    EXPECT_TRUE(g_dbase.halfWingspans.empty());
    EXPECT_EQ(g_dbase.meanHalfWingspan[0], 0.0);
    EXPECT_TRUE(g_dbase.records.empty());
    EXPECT_EQ(log().find("===>"), std::string::npos);
}

TEST_F(DbaseReaderTest, MissingOrDamagedFileRaisesAndLeavesNoPlainFile)
{
    try {
        gf_readDbase();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "input/dbase.enc not available");
    }

    writeFile(g_dbaseEncPath, std::string(200, 'x'));
    try {
        gf_readDbase();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "input/dbase.enc stream decrypt failed");
    }
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
}

TEST_F(DbaseReaderTest, XmlThatIsNotWellFormedRaisesCode60AndTheCopyIsRemoved)
{
    writeDbase("<aircrafts><aircraft types=\"A320\"></aircrafts>");
    try {
        gf_readDbase();
        ADD_FAILURE() << "no exception";
    } catch (const brv::UserErrorException& e) {
        EXPECT_EQ(e.code(), 60);
        EXPECT_TRUE(std::string(e.what()).starts_with("'input/dbase.xml' not read because of ")) << e.what();
    }
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
}

TEST_F(DbaseReaderTest, ListsWithBlanksKeepTheirEmptyItem)
{
    auto sections = lf_sections();
    sections["aircrafts"] = R"(<aircrafts><aircraft types="A320, A321, , A319"/>)"
                            R"(<aircraft types="B744,B748,C172,EC35,F16,C25C"/></aircrafts>)";
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(g_dbase.aircraftTypes.contains(""));
    EXPECT_TRUE(g_dbase.aircraftTypes.contains("A319"));
    EXPECT_TRUE(g_dbase.aircraftTypes.contains("A321"));
    EXPECT_EQ(g_dbase.aircraftTypes.size(), 10u);
    // the empty item is no valid type
    EXPECT_FALSE(gf_isValidModel(""));
}

TEST_F(DbaseReaderTest, CargoFlagIsTrueForTheFirstLettersOfYesAndTrue)
{
    auto sections = lf_sections();
    const std::vector<std::pair<std::string, bool>> values{
        {"1", true},  {"true", true},   {"True", true}, {"yes", true},  {"Y", true},    {"0", false},
        {"", false},  {"false", false}, {"no", false},  {" 1", false},  {"N", false},   {"2", false},
    };
    std::string records = "<dbase>";
    for (std::size_t i = 0; i < values.size(); ++i)
        records += "<db reg=\"R" + std::to_string(i) + "\" airl=\"DLH\" type=\"A320\" cargo=\"" + values[i].first + "\"/>";
    records += "<db reg=\"NOFLAG\" airl=\"DLH\" type=\"A320\"/></dbase>";
    sections["dbase"] = records;
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(g_dbase.records.at("R" + std::to_string(i)).cargo, values[i].second) << "'" << values[i].first << "'";
    EXPECT_FALSE(g_dbase.records.at("NOFLAG").cargo);
}

TEST_F(DbaseReaderTest, DuplicateRegistrationsKeepTheFirstRecord)
{
    auto sections = lf_sections();
    sections["dbase"] = R"(<dbase><db reg="D-AIMA" airl="DLH" type="A388"/><db reg="D-AIMA" airl="BAW" type="A320"/>)"
                        R"(<db airl="ZZZ" type="C172"/><db airl="DLH" type="A320"/></dbase>)";
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    ASSERT_EQ(g_dbase.records.size(), 2u);
    EXPECT_EQ(g_dbase.records.at("D-AIMA").airl, "DLH");
    EXPECT_EQ(g_dbase.records.at("").airl, "ZZZ");
    const std::string text = log();
    EXPECT_NE(text.find("===> regcode D-AIMA already exists\n"), std::string::npos);
    EXPECT_NE(text.find("===> regcode  already exists\n"), std::string::npos);
    EXPECT_NE(text.find("\n2 dbase records read\n"), std::string::npos);
}

TEST_F(DbaseReaderTest, WingspansSkipInvalidTypesAndKeepTheFirstValue)
{
    auto sections = lf_sections();
    sections["large"] = R"(<large><lar types="A319,A320,A321,A20N"/></large>)";
    sections["wingspans"] = R"(<wingspans><wingspan type="A20N" meters="35.8"/><wingspan type="" meters="10"/>)"
                            R"(<wingspan type="B744" meters="64.4"/><wingspan type="B744" meters="70"/>)"
                            R"(<wingspan type="A320"/></wingspans>)";
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_FALSE(g_dbase.halfWingspans.contains("A20N"));
    EXPECT_DOUBLE_EQ(g_dbase.halfWingspans.at("B744"), 64.4 * 0.5 * g_nmPerMetre);
    EXPECT_DOUBLE_EQ(g_dbase.maxHalfWingspan, 70 * 0.5 * g_nmPerMetre);
    EXPECT_EQ(g_dbase.halfWingspans.at("A320"), 0.0); // no meters reads as 0
    const std::string text = log();
    EXPECT_NE(text.find("===> wingspan model A20N is not valid, skipped\n"), std::string::npos);
    EXPECT_NE(text.find("===> wingspan model  is not valid, skipped\n"), std::string::npos);
}

// Classes without wingspans of their own take the mean of all types instead of 0/0.
TEST_F(DbaseReaderTest, ClassesWithoutWingspansTakeTheMeanOfAllTypes)
{
    auto sections = lf_sections();
    sections["wingspans"] = R"(<wingspans><wingspan type="B744" meters="64"/><wingspan type="B748" meters="68"/>)"
                            R"(<wingspan type="A320" meters="34"/></wingspans>)";
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    const double heavy = (64 + 68) / 2.0 * 0.5 * g_nmPerMetre;
    const double large = 34 * 0.5 * g_nmPerMetre;
    const double all = (64 + 68 + 34) / 3.0 * 0.5 * g_nmPerMetre;
    EXPECT_DOUBLE_EQ(g_dbase.meanHalfWingspan[static_cast<std::size_t>(SizeClass::Heavy)], heavy);
    EXPECT_DOUBLE_EQ(g_dbase.meanHalfWingspan[static_cast<std::size_t>(SizeClass::Large)], large);
    for (const auto sizeClass : {SizeClass::Light, SizeClass::Buzjets, SizeClass::HighPerf, SizeClass::Rotorcraft}) {
        const double mean = g_dbase.meanHalfWingspan[static_cast<std::size_t>(sizeClass)];
        EXPECT_FALSE(std::isnan(mean));
        EXPECT_DOUBLE_EQ(mean, all) << gf_sizeClassName(sizeClass);
    }
    // a type without an entry gets its class's mean
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("A321"), large);
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("EC35"), all);
}

TEST_F(DbaseReaderTest, FixesNeedAValidCorrectTypeAndAreNotReplaced)
{
    auto sections = lf_sections();
    sections["fixes"] = R"(<fixes><fx wro="B747" cor="B744"/><fx wro="B747" cor="B748"/><fx wro="A3XX" cor="A388"/>)"
                        R"(<fx wro="A320N"/></fixes>)";
    writeDbase(lf_document(sections));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(g_dbase.typeFixes.size(), 1u);
    EXPECT_EQ(g_dbase.typeFixes.at("B747"), "B744");
    const std::string text = log();
    EXPECT_NE(text.find("===> wrong part of fix: 'B747', already exists, skipped\n"), std::string::npos);
    EXPECT_NE(text.find("===> wrong fix A3XX -> A388, the latter is not valid\n"), std::string::npos);
    EXPECT_NE(text.find("===> wrong fix A320N -> , the latter is not valid\n"), std::string::npos);
}

} // namespace
