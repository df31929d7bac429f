#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/shell_state.h"
#include "platform/clock.h"
#include "support/logged_folder.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

class MetaBlock : public ::testing::Test {
protected:
    void SetUp() override
    {
        gf_resetOptions();
        platform::setClock(&clock);
    }
    void TearDown() override
    {
        platform::setClock(nullptr);
        g_simFamily = "MSFS";
        g_msfs2020Mode = true;
        gf_resetOptions();
    }

    static std::vector<std::pair<std::string, std::string>> infos(const pugi::xml_node& meta)
    {
        std::vector<std::pair<std::string, std::string>> result;
        for (const pugi::xml_node& info : meta.children()) {
            EXPECT_STREQ(info.name(), "info");
            EXPECT_STREQ(info.first_attribute().name(), "name");
            EXPECT_STREQ(info.last_attribute().name(), "value");
            result.emplace_back(info.attribute("name").as_string(), info.attribute("value").as_string());
        }
        return result;
    }

    // 6 October 2026, 14:30 UTC
    platform::ManualClock clock{platform::SystemTime{std::chrono::seconds{1791297000}}};
    testsupport::LoggedFolder folder;
};

TEST_F(MetaBlock, TheWrittenBlockHoldsItsFiveEntriesInOrderAndIsReadBack)
{
    pugi::xml_document written;
    ASSERT_TRUE(gf_writeMetaInfo(written));
    EXPECT_EQ(infos(written.child("meta")),
              (std::vector<std::pair<std::string, std::string>>{{"author", "TRWK"},
                                                                {"version", "11.0.4"},
                                                                {"date", "Okt 06, 2026"},
                                                                {"copyright", g_metaCopyright.defaultValue},
                                                                {"MSFS", "2020"}}));
    // read back past a later element of the same attribute
    written.append_child("parameters").append_child("parameter").append_attribute("name").set_value("date");
    EXPECT_TRUE(gf_readMetaInfo(written, g_metaDate) && gf_readMetaInfo(written, g_metaCopyright));
    EXPECT_EQ(g_metaDate.value.get(), "Okt 06, 2026");
    EXPECT_EQ(g_metaCopyright.value.get(), g_metaCopyright.defaultValue);

    // the simulator entry follows the simulator in force
    g_msfs2020Mode = false;
    gf_updateSimFamily();
    EXPECT_EQ(g_simFamily.get(), "MSFS2024");
    pugi::xml_document later;
    ASSERT_TRUE(gf_writeMetaInfo(later));
    EXPECT_EQ(infos(later.child("meta")).back(), (std::pair<std::string, std::string>{"MSFS", "2024"}));
}

TEST_F(MetaBlock, OnlyATopLevelBlockIsReadAndAMissingValueReadsEmpty)
{
    const auto lt_read = [](const char* xml, StringParameter& record) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_string(xml)) << xml;
        record.value = "stale";
        return std::pair{gf_readMetaInfo(doc, record), record.value.get()};
    };
    const std::pair<bool, std::string> none{false, ""}, empty{true, ""};
    EXPECT_EQ(lt_read("<airport><meta><info name='version' value='1'/></meta></airport>", g_metaVersion), none);
    EXPECT_EQ(lt_read("<parkpositions/>", g_metaAuthor), none);
    EXPECT_EQ(lt_read("<meta><info name='date'/></meta>", g_metaDate), empty);
}

TEST_F(MetaBlock, ABadSelectionIsLoggedAndTheWriterRefusesNodesOfTheWrongKind)
{
    pugi::xml_document doc;
    ASSERT_TRUE(gf_writeMetaInfo(doc));
    StringParameter quoted("it's", "");
    EXPECT_FALSE(gf_readMetaInfo(doc, quoted));
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_FALSE(lines[0].empty());

    pugi::xml_document empty;
    EXPECT_FALSE(gf_writeMetaInfo(pugi::xml_node()));
    EXPECT_FALSE(gf_writeMetaInfo(empty.append_child(pugi::node_pcdata)));
    EXPECT_FALSE(empty.child("meta"));
}

} // namespace
