#include "foundation/file_utils.h"
#include "foundation/random.h"
#include "foundation/text_utils.h"

#include "support/logged_folder.h"

#include <fmt/format.h>
#include <gsl/narrow>
#include <gtest/gtest.h>
#include <list>
#include <pugixml.hpp>

namespace fs = std::filesystem;
using Pieces = std::vector<std::string>;

TEST(TextUtils, SplitTrimAndJoin)
{
    EXPECT_TRUE(gf_split("", ',').empty());
    EXPECT_EQ(gf_splitComma("a"), Pieces{"a"});
    EXPECT_EQ(gf_splitComma(" a , b ,"), (Pieces{"a", "b", ""}));
    EXPECT_EQ(gf_splitComma("a,,b"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(gf_split("\tx;\r\ny ", ';'), (Pieces{"x", "y"}));
    EXPECT_EQ(gf_splitCommaSortedUnique("B, A ,B"), (Pieces{"A", "B"}));
    EXPECT_EQ(gf_trim(" \t\r\n "), "");
    EXPECT_EQ(gf_joinComma({}), "");
    EXPECT_EQ(gf_joinComma({"a", "", "b"}), "a,,b");

    // cut for a log line, never inside a character
    EXPECT_EQ(gf_cutText("abc", 3), "abc");
    EXPECT_EQ(gf_cutText("abcd", 3), "abc...");
    EXPECT_EQ(gf_cutText("a\xC3\xA9" "b", 2), "a...");
    EXPECT_EQ(gf_cutText("a\xE2\x82\xAC", 3), "a...");

    std::string list = "A, B ,C";
    gf_removeSpacesInCommaList(list);
    EXPECT_EQ(list, "A,B,C");
}

TEST(TextUtils, UnquoteNumbersAndComparisons)
{
    EXPECT_EQ(gf_unquote(R"(InstalledPackagesPath "D:\MSFS\Packages")"), R"(D:\MSFS\Packages)");
    EXPECT_EQ(gf_unquote("no quotes"), "no quotes");
    EXPECT_EQ(gf_unquote(R"(x "" y)") + gf_unquote(R"(open "end)") + gf_unquote(R"(last")"), "");

    EXPECT_EQ(fmt::format("{}{}{}{}|{}{}{}", gf_plural(1), gf_plural(-1), gf_plural(std::int64_t{-5}),
                          gf_plural(std::uint64_t{1}), gf_plural(0), gf_plural(2), gf_plural(std::uint64_t{7})),
              "|sss");
    EXPECT_EQ(gf_float2string(3.0f) + " " + gf_float2string(2.4f) + " " + gf_float2string(-0.5f), "3 2.4 -0.5");
    EXPECT_EQ(fmt::format("{} {} {} {}", gf_percentage(1, 3), gf_percentage(2, 3), gf_percentage(5, 0),
                          gf_percentage(5, -3)),
              "33 67 0 0");
    EXPECT_THROW(gf_percentage(std::int64_t{1} << 40, 1), gsl::narrowing_error);

    EXPECT_TRUE(gf_equalsUppercased(".TXT", ".txt") && gf_equalsUppercased(".XML", ".Xml"));
    EXPECT_FALSE(gf_equalsUppercased(".TXT", ".txt2"));
    EXPECT_FALSE(gf_equalsUppercased(".txt", ".TXT")); // the first one is the upper-case model
    EXPECT_TRUE(gf_equalsWithStar("A320", "A320*"));
    EXPECT_FALSE(gf_equalsWithStar("A320", "A320") || gf_equalsWithStar("A320", "A321*"));
}

TEST(TextUtils, Randomizing)
{
    EXPECT_EQ(gf_randomizeByPercent(100.0, 0.0) + gf_randomizeByPercent(100.0, -3.0), 200.0);
    bool up = false, down = false;
    for (int i = 0; i < 200; ++i) {
        const double v = gf_randomizeByPercent(100.0, 5.0);
        ASSERT_TRUE(v == 95.0 || v == 105.0) << v;
        (v > 100.0 ? up : down) = true;
    }
    EXPECT_TRUE(up && down);

    std::vector<std::string> many{"a", "b", "c", "d", "e", "f"};
    gf_shuffle(many);
    std::sort(many.begin(), many.end());
    EXPECT_EQ(many, (Pieces{"a", "b", "c", "d", "e", "f"}));
}

TEST(FileUtils, CleanFolder)
{
    testsupport::LoggedFolder folder;
    gf_cleanFolder("TBLO"); // missing: only the log line
    fs::create_directories("TBLO/empty");
    std::ofstream("TBLO/a.xml") << "x";
    gf_cleanFolder("TBLO");
    EXPECT_TRUE(fs::is_empty("TBLO"));
    EXPECT_EQ(folder.logLines(), (Pieces{"Cleaning folder: TBLO", "Cleaning folder: TBLO"}));

    // a sub-folder that is not empty stays, logged; the files and empty folders beside it go
    fs::create_directories("TBLO/full");
    fs::create_directories("TBLO/empty");
    std::ofstream("TBLO/full/c.txt") << "z";
    std::ofstream("TBLO/b.xml") << "y";
    EXPECT_NO_THROW(gf_cleanFolder("TBLO"));
    EXPECT_EQ(std::distance(fs::directory_iterator("TBLO"), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::exists("TBLO/full/c.txt"));
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[3].starts_with("===> gf_cleanFolder: ") && lines[3].find("TBLO/full") != std::string::npos)
        << lines[3];
}

TEST(FileUtils, WriteLinesAndSaveXml)
{
    testsupport::LoggedFolder folder;
    ASSERT_TRUE(gf_writeLinesToFile(std::list<std::string>{"one", "two"}, "lines.txt"));
    ASSERT_TRUE(gf_writeLinesToFile(Pieces{}, "empty.txt"));
    EXPECT_EQ(testsupport::readFile("lines.txt") + "|" + testsupport::readFile("empty.txt"), "one\ntwo\n|");
    EXPECT_FALSE(gf_writeLinesToFile(Pieces{"x"}, fs::path("missing") / "x.txt"));

    pugi::xml_document doc;
    doc.append_child("parameters").append_child("parameter").append_attribute("name") = "RANGE";
    EXPECT_TRUE(gf_saveXml(doc, "p.xml"));
    EXPECT_FALSE(gf_saveXml(doc, fs::path("missing") / "p.xml"));
    pugi::xml_document back;
    ASSERT_TRUE(back.load_file("p.xml"));
    EXPECT_STREQ(back.child("parameters").child("parameter").attribute("name").value(), "RANGE");
    EXPECT_TRUE(folder.logHas("'p.xml' saved"));
    EXPECT_TRUE(folder.logHas("===> could not save to 'missing/p.xml'"));
}
