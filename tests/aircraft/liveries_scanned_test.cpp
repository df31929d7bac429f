// LiveriesScanned.xml written and read back: the meta block, the attributes, the order, and every
// refusal of a file that is no scan result.
#include "livery_test_support.h"

#include <pugixml.hpp>

namespace {

class LiveriesScannedTest : public LiveryTest {
protected:
    static std::pair<int, std::string> readError() { return userError([] { gf_readLiveriesScanned(); }); }
    // airline/type/title[/atc id][/cargo] of every record
    static std::vector<std::string> records()
    {
        std::vector<std::string> result;
        for (const auto& r : g_liveryRecords)
            result.push_back(r.airl + "/" + r.type + "/" + r.title + (r.atcid.empty() ? "" : "/" + r.atcid) +
                             (r.cargo ? "/cargo" : "") + (r.folderNumber != 0 ? "/folder" : ""));
        return result;
    }
};

TEST_F(LiveriesScannedTest, RoundTripKeepsEveryFieldAndWritesTheMetaBlock)
{
    g_liveryRecords = {
        {"ZZZ", "C172", "Cessna White", "", 3, false},
        {"DLH", "A320", "Airbus A320 Lufthansa", "D-AIPX", 1, false},
        {"GEC", "B77W", "Boeing 777F Lufthansa Cargo", "", 2, true},
    };
    gf_sortLiveryRecords(g_liveryRecords);
    gf_writeLiveriesScanned();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(g_liveriesScannedPath.c_str()));
    ASSERT_TRUE(gf_readMetaInfo(doc, g_metaAuthor));
    EXPECT_EQ(g_metaAuthor.value.get(), "TRWK");
    ASSERT_TRUE(gf_readMetaInfo(doc, g_metaVersion));
    EXPECT_EQ(g_metaVersion.value.get(), "11.0.4");
    EXPECT_EQ(std::string(doc.first_child().name()), "meta");
    // attributes in their order, the optional ones only when they carry something
    const pugi::xml_node cargo = doc.child("liveries").find_child_by_attribute("liv", "airl", "GEC");
    std::vector<std::string> names;
    for (const auto attribute : cargo.attributes())
        names.emplace_back(attribute.name());
    EXPECT_EQ(names, (std::vector<std::string>{"airl", "type", "cargo", "title"}));
    EXPECT_STREQ(cargo.attribute("cargo").value(), "true");
    EXPECT_FALSE(doc.child("liveries").find_child_by_attribute("liv", "airl", "ZZZ").attribute("atcid"));

    gf_readLiveriesScanned();
    // the folder number is not kept in the file
    EXPECT_EQ(records(), (std::vector<std::string>{"DLH/A320/Airbus A320 Lufthansa/D-AIPX",
                                                   "GEC/B77W/Boeing 777F Lufthansa Cargo/cargo",
                                                   "ZZZ/C172/Cessna White"}));
    expectLogged({"\n3 liveries in output/LiveriesScanned.xml\n",
                  "\n3 liveries read from output/LiveriesScanned.xml\n"});
}

TEST_F(LiveriesScannedTest, HandWrittenFileIsReadSortedWithItsFlags)
{
    writeFile(g_liveriesScannedPath, "<liveries>\n"
                                     "<liv airl=\"ZZZ\" type=\"C172\" title=\"b\" cargo=\"yes\"/>\n"
                                     "<note>skipped</note>\n"
                                     "<liv airl=\"DLH\" type=\"B744\" title=\"z\" cargo=\"no\"/>\n"
                                     "<liv airl=\"DLH\" type=\"A320\" title=\"y\" atcid=\"D-AIPX\"/>\n"
                                     "<liv airl=\"DLH\" type=\"A320\" title=\"x\"/>\n"
                                     "<liv airl=\"DL\" type=\"A320\" title=\"w\"/>\n"
                                     "</liveries>\n");
    ASSERT_EQ(readError().first, 0);
    EXPECT_EQ(records(), (std::vector<std::string>{"DL/A320/w", "DLH/A320/x", "DLH/A320/y/D-AIPX", "DLH/B744/z",
                                                   "ZZZ/C172/b/cargo"}));
}

TEST_F(LiveriesScannedTest, EveryRefusalHasItsCodeAndLeavesNoRecords)
{
    g_liveryRecords = {{"OLD", "A320", "stale", "", 0, false}};
    EXPECT_EQ(readError(), std::make_pair(51, std::string("File output/LiveriesScanned.xml not found")));
    EXPECT_TRUE(g_liveryRecords.empty());

    writeFile(g_liveriesScannedPath, "<liveries><liv airl=\"DLH\"");
    EXPECT_EQ(readError().first, 51);
    writeFile(g_liveriesScannedPath, "<meta><info name=\"author\" value=\"TRWK\"/></meta>\n");
    EXPECT_EQ(readError(),
              std::make_pair(52, std::string("output/LiveriesScanned.xml does not contain a <liveries> section")));
    writeFile(g_liveriesScannedPath, "<meta/><liveries><other/></liveries>");
    EXPECT_EQ(readError(), std::make_pair(533, std::string("output/LiveriesScanned.xml does not contain liveries")));

    for (const char* missing : {"airl", "type", "title"}) {
        std::string liv = "<liv airl=\"DLH\" type=\"A320\" title=\"t\"/>";
        const auto at = liv.find(std::string(missing) + "=");
        liv.erase(at, liv.find('"', liv.find('"', at) + 1) + 1 - at);
        writeFile(g_liveriesScannedPath, "<liveries><liv airl=\"A\" type=\"B\" title=\"C\"/>" + liv + "</liveries>");
        EXPECT_EQ(readError(), std::make_pair(999, fmt::format("Missing required attribute '{}' in <liv>", missing)));
        EXPECT_TRUE(g_liveryRecords.empty()) << "half a file is no scan result";
    }
}

TEST_F(LiveriesScannedTest, FileOfAnyVersionIsReadAndItsMetaValuesKept)
{
    const std::vector<LiveryLine> one{{"DLH", "A320", "Airbus A320 Lufthansa", "", false}};
    for (const std::string version : {"11.0.4", "12.0.0", "11.1", "eleven", ""}) {
        writeFile(g_liveriesScannedPath,
                  liveriesXml(one, "<meta><info name=\"author\" value=\"TRWK\"/><info name=\"date\" value=\"Jan 01, "
                                   "2025\"/><info name=\"version\" value=\"" + version + "\"/></meta>\n"));
        EXPECT_EQ(readError().first, 0) << version;
        EXPECT_EQ(g_liveryRecords.size(), 1u);
        EXPECT_EQ(g_metaVersion.value.get(), version);
    }
}

TEST_F(LiveriesScannedTest, WritingAnEmptyListLeavesTheOldFile)
{
    writeFile(g_liveriesScannedPath, "old content");
    g_liveryRecords.clear();
    gf_writeLiveriesScanned();
    EXPECT_EQ(readFile(g_liveriesScannedPath), "old content");
}

} // namespace
