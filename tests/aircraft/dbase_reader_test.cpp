// The aircraft database read from its encrypted file: every section, the refusals, and the rules
// of entries that are skipped or kept.
#include "aircraft_test_support.h"

#include <cmath>
#include <map>

namespace {

constexpr double g_nmPerMetre = 0.0005399568034557236;

using Sections = std::map<std::string, std::string>;

// A small database with every section; a test may drop or replace sections.
Sections lf_sections()
{
    return {
        {"aircrafts", R"(<aircrafts><aircraft types="A320,A321,B744,B748"/>)"
                      R"(<aircraft types="C172,EC35,F16,C25C,A319"/></aircrafts>)"},
        {"high_performance", R"(<high_performance><hpf types="F16"/></high_performance>)"},
        {"heavy", R"(<heavy><hvy types="B744,B748"/></heavy>)"},
        {"large", R"(<large><lar types="A319,A320,A321"/></large>)"},
        {"buzjet", R"(<buzjet><bzj types="C25C"/></buzjet>)"},
        {"rotorcraft", R"(<rotorcraft><rot types="EC35"/></rotorcraft>)"},
        {"cargo_types", R"(<cargo_types><cargo_type types="B744"/></cargo_types>)"},
        {"similar_types",
         R"(<similar_types><similar types="A321,A319,A320"/><similar types="B748,B744"/></similar_types>)"},
        {"ICAO_airlines", R"(<ICAO_airlines><ICAO codes="DLH,BAW"/><ICAO codes="ZZZ"/></ICAO_airlines>)"},
        {"cargo_operators", R"(<cargo_operators><ICAO codes="GEC,BOX"/></cargo_operators>)"},
        {"publishers", R"(<publishers><pub names="Orbit, ORBIT Works"/><pub names="Alpine Scenery"/>)"
                       R"(<pub names="Orbit, ORBIT Works"/></publishers>)"},
        {"wingspans", R"(<wingspans><wingspan type="A320" meters="34.1"/><wingspan type="A321" meters="35.8"/>)"
                      R"(<wingspan type="B744" meters="64.4"/><wingspan type="C172" meters="11"/></wingspans>)"},
        {"fixes", R"(<fixes><fx wro="A320N" cor="A320"/><fx wro="B747" cor="B744"/></fixes>)"},
        {"simaddons20", R"(<simaddons20><simaddon20 arpts="EDDF,EGLL"/><simaddon20 arpts="KJFK"/></simaddons20>)"},
        {"thirdparties20", R"(<thirdparties20><thirdpartie20 pub="Orbit" arpts="EDDM, LOWI"/>)"
                           R"(<thirdpartie20 pub="Alpine Scenery" arpts="LSZH"/></thirdparties20>)"},
        {"thirdparties24", R"(<thirdparties24><thirdpartie24 pub="Orbit" arpts="EDDM"/></thirdparties24>)"},
        {"dbase", R"(<dbase><db reg="D-ABYA" airl="DLH" type="B748" opr="" cargo="0"/>)"
                  R"(<db reg="D-AALA" airl="BOX" type="B77L" opr="GEC" cargo="1"/>)"
                  R"(<db reg="N1YP" airl="ZZZ" type="C172"/></dbase>)"},
    };
}

std::string lf_document(const Sections& sections, bool reversed = false)
{
    std::vector<std::string> bodies;
    for (const auto& [name, body] : sections)
        bodies.push_back(body + "\n");
    if (reversed)
        std::reverse(bodies.begin(), bodies.end());
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- test database -->\n";
    for (const auto& body : bodies)
        text += body;
    return text;
}

class DbaseReaderTest : public AircraftTest {
protected:
    // The small database with some sections replaced (an empty text drops the section), read.
    bool readWith(const Sections& changes)
    {
        Sections sections = lf_sections();
        for (const auto& [name, body] : changes) {
            if (body.empty())
                sections.erase(name);
            else
                sections[name] = body;
        }
        writeEncrypted(g_dbaseEncPath, lf_document(sections));
        return gf_readDbase();
    }
    static double half(double metres) { return metres * 0.5 * g_nmPerMetre; }
};

TEST_F(DbaseReaderTest, LoadsEverySectionOfADocumentWithSeveralTopLevelElementsInAnyOrder)
{
    writeEncrypted(g_dbaseEncPath, lf_document(lf_sections(), true));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(g_dbase.records.size(), 3u);
    EXPECT_EQ(g_dbase.halfWingspans.size(), 4u);
    gf_resetDbase();
    ASSERT_TRUE(readWith({}));

    EXPECT_EQ(g_dbase.aircraftTypes, (NameSet{"A319", "A320", "A321", "B744", "B748", "C172", "C25C", "EC35", "F16"}));
    EXPECT_EQ(g_dbase.heavyTypes, (NameSet{"B744", "B748"}));
    EXPECT_EQ(g_dbase.cargoTypes, (NameSet{"B744"}));
    using Groups = std::vector<std::vector<std::string>>;
    EXPECT_EQ(g_dbase.similarTypes, (Groups{{"A319", "A320", "A321"}, {"B744", "B748"}}));
    EXPECT_EQ(g_dbase.icaoAirlines, (NameSet{"BAW", "DLH", "ZZZ"}));
    EXPECT_EQ(g_dbase.cargoOperators, (NameSet{"BOX", "GEC"}));
    // one entry per distinct names text, ordered by the whole text
    EXPECT_EQ(g_dbase.publishers, (Groups{{"Alpine Scenery"}, {"Orbit", "ORBIT Works"}}));
    EXPECT_DOUBLE_EQ(g_dbase.halfWingspans.at("A320"), half(34.1));
    EXPECT_DOUBLE_EQ(g_dbase.maxHalfWingspan, half(64.4));
    EXPECT_EQ(g_dbase.typeFixes.at("B747"), "B744");
    EXPECT_EQ(g_dbase.simAddonAirports, (NameSet{"EDDF", "EGLL", "KJFK"}));
    ASSERT_EQ(g_dbase.thirdParties2020.size(), 2u);
    EXPECT_EQ(g_dbase.thirdParties2020[0].publisher, "Orbit");
    EXPECT_EQ(g_dbase.thirdParties2020[0].airports, (std::vector<std::string>{"EDDM", "LOWI"}));
    ASSERT_EQ(g_dbase.thirdParties2024.size(), 1u);
    ASSERT_EQ(g_dbase.records.size(), 3u);
    const auto& cargo = g_dbase.records.at("D-AALA");
    EXPECT_EQ(std::tie(cargo.airl, cargo.type, cargo.opr, cargo.cargo), std::make_tuple("BOX", "B77L", "GEC", true));
    EXPECT_FALSE(g_dbase.records.at("N1YP").cargo);

    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("\n   2 publishers\n"));
    EXPECT_THAT(text, HasSubstr("\n3 dbase records read\n"));
    EXPECT_EQ(text.find("===>"), std::string::npos);
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
        gf_resetDbase();
        EXPECT_EQ(userError([&, &name = section] { readWith({{name, ""}}); }),
                  std::make_pair(61, "In XML file section [" + section + "], element [" + entry + "], attribute [" +
                                         attribute + "] is empty."));
        // the plain copy never stays behind
        EXPECT_FALSE(fs::exists(g_dbaseXmlPath)) << section;
    }
    // a section whose entries lack the attribute counts as empty
    EXPECT_EQ(userError([&] { readWith({{"heavy", R"(<heavy><hvy other="B744"/></heavy>)"}}); }).first, 61);
}

TEST_F(DbaseReaderTest, OptionalSectionsMayBeMissingAndListsKeepTheirEmptyItem)
{
    Sections changes{{"aircrafts", R"(<aircrafts><aircraft types="A320, A321, , A319"/>)"
                                   R"(<aircraft types="B744,B748,C172,EC35,F16,C25C"/></aircrafts>)"}};
    for (const auto* name :
         {"similar_types", "publishers", "wingspans", "fixes", "thirdparties20", "thirdparties24", "dbase"})
        changes[name] = "";
    ASSERT_TRUE(readWith(changes));
    EXPECT_TRUE(g_dbase.similarTypes.empty() && g_dbase.publishers.empty() && g_dbase.halfWingspans.empty());
    EXPECT_EQ(g_dbase.meanHalfWingspan[0], 0.0);
    EXPECT_TRUE(g_dbase.records.empty());
    EXPECT_EQ(log().find("===>"), std::string::npos);
    EXPECT_EQ(g_dbase.aircraftTypes,
              (NameSet{"", "A319", "A320", "A321", "B744", "B748", "C172", "C25C", "EC35", "F16"}));
    EXPECT_FALSE(gf_isValidModel("")); // the empty item is no valid type
}

TEST_F(DbaseReaderTest, AMissingDamagedOrMalformedFileRaisesAndLeavesNoPlainFile)
{
    const auto lt_error = [] {
        try {
            gf_readDbase();
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(lt_error(), "input/dbase.enc not available");
    writeFile(g_dbaseEncPath, std::string(200, 'x'));
    EXPECT_EQ(lt_error(), "input/dbase.enc stream decrypt failed");
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));

    writeEncrypted(g_dbaseEncPath, "<aircrafts><aircraft types=\"A320\"></aircrafts>");
    const auto [code, text] = userError([] { gf_readDbase(); });
    EXPECT_EQ(code, 60);
    EXPECT_TRUE(text.starts_with("'input/dbase.xml' not read because of ")) << text;
    EXPECT_FALSE(fs::exists(g_dbaseXmlPath));
}

TEST_F(DbaseReaderTest, CargoFlagIsTrueForTheFirstLettersOfYesAndTrue)
{
    const std::vector<std::pair<std::string, bool>> values{
        {"1", true},  {"true", true},   {"True", true}, {"yes", true},  {"Y", true},    {"0", false},
        {"", false},  {"false", false}, {"no", false},  {" 1", false},  {"N", false},   {"2", false},
    };
    std::string records = "<dbase>";
    for (std::size_t i = 0; i < values.size(); ++i)
        records += fmt::format(R"(<db reg="R{}" airl="DLH" type="A320" cargo="{}"/>)", i, values[i].first);
    ASSERT_TRUE(readWith({{"dbase", records + "<db reg=\"NOFLAG\" airl=\"DLH\" type=\"A320\"/></dbase>"}}));
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(g_dbase.records.at(fmt::format("R{}", i)).cargo, values[i].second) << "'" << values[i].first << "'";
    EXPECT_FALSE(g_dbase.records.at("NOFLAG").cargo);
}

TEST_F(DbaseReaderTest, DuplicateRegistrationsFixesAndWingspansKeepTheFirstValidEntry)
{
    ASSERT_TRUE(readWith({
        {"dbase", R"(<dbase><db reg="D-AIMA" airl="DLH" type="A388"/><db reg="D-AIMA" airl="BAW" type="A320"/>)"
                  R"(<db airl="ZZZ" type="C172"/><db airl="DLH" type="A320"/></dbase>)"},
        {"fixes", R"(<fixes><fx wro="B747" cor="B744"/><fx wro="B747" cor="B748"/><fx wro="A3XX" cor="A388"/>)"
                  R"(<fx wro="A320N"/></fixes>)"},
        {"large", R"(<large><lar types="A319,A320,A321,A20N"/></large>)"},
        {"wingspans", R"(<wingspans><wingspan type="A20N" meters="35.8"/><wingspan type="" meters="10"/>)"
                      R"(<wingspan type="B744" meters="64.4"/><wingspan type="B744" meters="70"/>)"
                      R"(<wingspan type="A320"/></wingspans>)"},
    }));
    ASSERT_EQ(g_dbase.records.size(), 2u);
    EXPECT_EQ(g_dbase.records.at("D-AIMA").airl, "DLH");
    EXPECT_EQ(g_dbase.records.at("").airl, "ZZZ");
    EXPECT_EQ(g_dbase.typeFixes, (std::unordered_map<std::string, std::string>{{"B747", "B744"}}));
    EXPECT_FALSE(g_dbase.halfWingspans.contains("A20N"));
    EXPECT_DOUBLE_EQ(g_dbase.halfWingspans.at("B744"), half(64.4));
    EXPECT_DOUBLE_EQ(g_dbase.maxHalfWingspan, half(70));
    EXPECT_EQ(g_dbase.halfWingspans.at("A320"), 0.0); // no meters reads as 0
    expectLogged({"===> regcode D-AIMA already exists\n", "===> regcode  already exists\n", "\n2 dbase records read\n",
                  "===> wrong part of fix: 'B747', already exists, skipped\n",
                  "===> wrong fix A3XX -> A388, the latter is not valid\n",
                  "===> wrong fix A320N -> , the latter is not valid\n",
                  "===> wingspan model A20N is not valid, skipped\n", "===> wingspan model  is not valid, skipped\n"});
}

TEST_F(DbaseReaderTest, ClassesWithoutWingspansTakeTheMeanOfAllTypes)
{
    ASSERT_TRUE(readWith({{"wingspans", R"(<wingspans><wingspan type="B744" meters="64"/><wingspan type="B748" )"
                                        R"(meters="68"/><wingspan type="A320" meters="34"/></wingspans>)"}}));
    const auto lt_mean = [](SizeClass c) { return g_dbase.meanHalfWingspan[static_cast<std::size_t>(c)]; };
    EXPECT_DOUBLE_EQ(lt_mean(SizeClass::Heavy), half((64 + 68) / 2.0));
    EXPECT_DOUBLE_EQ(lt_mean(SizeClass::Large), half(34));
    for (const auto sizeClass : {SizeClass::Light, SizeClass::Buzjets, SizeClass::HighPerf, SizeClass::Rotorcraft})
        EXPECT_DOUBLE_EQ(lt_mean(sizeClass), half((64 + 68 + 34) / 3.0)) << gf_sizeClassName(sizeClass); // not 0/0
    // a type without an entry gets its class's mean
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("A321"), half(34));
    EXPECT_DOUBLE_EQ(gf_getHalfWingspan("EC35"), half((64 + 68 + 34) / 3.0));
}

} // namespace
