#include "aircraft/regcode_files.h"
#include "aircraft_test_support.h"
#include "foundation/paths.h"

using namespace aircrafttest;

namespace {

const fs::path g_folder = g_userRegcodeFolder;

std::string lf_utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (const char16_t unit : text) {
        const char hi = static_cast<char>(unit >> 8);
        const char lo = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

class MyRegcodesTest : public AircraftTest {
protected:
    bool read(const std::string& content)
    {
        writeFile(g_folder / "mine.txt", content);
        return gf_readMyRegcodes(g_folder, entries);
    }
    std::vector<RegcodeEntry> entries;
};

TEST_F(MyRegcodesTest, LinesOfOneTwoAndThreeFields)
{
    EXPECT_TRUE(read("A320 Old Colours\n"
                     "B744 Retro ; D-ABYT\n"
                     "A321 Team ; D-AIDA, D-AIDB\n"
                     "A321 Star ; D-AIDC,D-AIDD,D-AIDC ; #\n"
                     "A321 Other ; D-AIDE, D-AIDF ; x\n"
                     "\n"
                     "A320 Nothing ;\n"));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].title, "A320 Old Colours");
    EXPECT_TRUE(entries[0].regcodes.empty());
    EXPECT_FALSE(entries[0].special);
    // one registration is special without "#"
    EXPECT_EQ(entries[1].regcodes, (std::vector<std::string>{"D-ABYT"}));
    EXPECT_TRUE(entries[1].special);
    EXPECT_FALSE(entries[2].special);
    EXPECT_EQ(entries[3].regcodes, (std::vector<std::string>{"D-AIDC", "D-AIDD"}));
    EXPECT_TRUE(entries[3].special);
    EXPECT_FALSE(entries[4].special);
    const std::string text = log();
    EXPECT_NE(text.find("\nProcessing regcodes file 'input/my_regcodes/mine.txt'\n"), std::string::npos);
    EXPECT_NE(text.find("\n5 liveries\n"), std::string::npos);
    EXPECT_EQ(text.find("===>"), std::string::npos);
}

TEST_F(MyRegcodesTest, RejectedLinesAreLoggedAndMakeTheResultFalse)
{
    EXPECT_FALSE(read("a;b;c;d\n"
                      "Short ones ; AB, X\n"
                      "Too long ; ABCDEFGHIJKLM\n"
                      "Mixed ; D-ABCD, XY, D-ABCE\n"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].title, "Mixed");
    EXPECT_EQ(entries[0].regcodes, (std::vector<std::string>{"D-ABCD", "D-ABCE"}));
    const std::string text = log();
    EXPECT_NE(text.find("===> input/my_regcodes/mine.txt: wrong format 'a;b;c;d'\n"), std::string::npos);
    EXPECT_NE(text.find("===> wrong regcode length 'AB' in input/my_regcodes/mine.txt\n"), std::string::npos);
    EXPECT_NE(text.find("===> wrong regcode length 'X' in input/my_regcodes/mine.txt\n"), std::string::npos);
    EXPECT_NE(text.find("===> wrong regcode length 'XY' in input/my_regcodes/mine.txt\n"), std::string::npos);
    // all of several too short: one regs-empty line; a single bad one: no regs-empty line
    EXPECT_EQ(countOf(text, "===> input/my_regcodes/mine.txt ; regs empty?\n"), 1u);
    EXPECT_NE(text.find("===> wrong regcode length 'ABCDEFGHIJKLM' in input/my_regcodes/mine.txt\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n1 livery\n"), std::string::npos);
}

TEST_F(MyRegcodesTest, OnlyTextFilesDirectlyInTheFolderAreReadInNameOrder)
{
    writeFile(g_folder / "b.TXT", "Second ; D-BBBB\n");
    writeFile(g_folder / "a.txt", "First ; D-AAAA\n");
    writeFile(g_folder / "c.xml", "Not read ; D-CCCC\n");
    writeFile(g_folder / "sub" / "d.txt", "Not read either ; D-DDDD\n");
    fs::create_directories(g_folder / "folder.txt");
    EXPECT_TRUE(gf_readMyRegcodes(g_folder, entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].title, "First");
    EXPECT_EQ(entries[1].title, "Second");
}

// Files saved by a text editor may carry a byte-order mark or be UTF-16.
TEST_F(MyRegcodesTest, FilesAreReadInTheirOwnCharset)
{
    writeFile(g_folder / "1-bom.txt", "\xEF\xBB\xBFWith Mark ; D-AAAA\r\n");
    writeFile(g_folder / "2-le.txt", lf_utf16(u"Little \u00C9ndian ; D-BBBB\r\nDon't Use\r\n", false));
    writeFile(g_folder / "3-be.txt", lf_utf16(u"Big Endian ; D-CCCC, D-CCCD ; #\n", true));
    writeFile(g_folder / "4-one.txt", "X");
    writeFile(g_folder / "5-empty.txt", "");
    EXPECT_TRUE(gf_readMyRegcodes(g_folder, entries));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].title, "With Mark");
    EXPECT_EQ(entries[0].regcodes, (std::vector<std::string>{"D-AAAA"}));
    EXPECT_EQ(entries[1].title, "Little \xC3\x89ndian");
    EXPECT_EQ(entries[1].regcodes, (std::vector<std::string>{"D-BBBB"}));
    EXPECT_EQ(entries[2].title, "Don't Use");
    EXPECT_EQ(entries[3].title, "Big Endian");
    EXPECT_TRUE(entries[3].special);
    EXPECT_EQ(entries[4].title, "X");
}

TEST_F(MyRegcodesTest, AMissingFolderIsLoggedAndFalse)
{
    entries.push_back({"kept", {}, false});
    EXPECT_FALSE(gf_readMyRegcodes("input/nowhere", entries));
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_NE(log().find("===> Error reading regcode files in input/nowhere, what: "), std::string::npos);
}

class AigRegcodesTest : public AircraftTest {};

TEST_F(AigRegcodesTest, LiveriesWithRegistrationsAndSpecialFlags)
{
    writeFile(g_regcodesXmlPath,
              "<?xml version=\"1.0\"?>\n<!-- list -->\n<AIG-regcodes>\n"
              "<livery title=\"A388 Lufthansa\" reg=\"D-AIMB, D-AIMA,D-AIMA\"/>\n"
              "<livery title=\"B744 Retro\" reg=\"D-ABYT\" special=\"true\"/>\n"
              "<livery title=\"A320 Unwanted\"/>\n"
              "<livery reg=\"D-XXXX\"/>\n"
              "<livery title=\"B748 Flag\" reg=\"D-ABYA\" special=\"no\"/>\n"
              "</AIG-regcodes>\n<other/>\n");
    std::vector<RegcodeEntry> entries{{"earlier", {}, false}};
    EXPECT_TRUE(gf_readAigRegcodes(entries));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[1].title, "A388 Lufthansa");
    EXPECT_EQ(entries[1].regcodes, (std::vector<std::string>{"D-AIMA", "D-AIMB"}));
    EXPECT_FALSE(entries[1].special);
    EXPECT_TRUE(entries[2].special);
    EXPECT_TRUE(entries[3].regcodes.empty()); // a don't-use title
    EXPECT_FALSE(entries[4].special);
    EXPECT_NE(log().find("\n5 liveries read from input/AIG-regcodes.xml\n"), std::string::npos);
}

TEST_F(AigRegcodesTest, ATitleRepeatingItsPredecessorIsSkipped)
{
    writeFile(g_regcodesXmlPath, "<AIG-regcodes>"
                                 "<livery title=\"A\" reg=\"D-AAAA\"/><livery title=\"A\" reg=\"D-AAAB\"/>"
                                 "<livery title=\"B\" reg=\"D-BBBB\"/><livery title=\"A\" reg=\"D-AAAC\"/>"
                                 "</AIG-regcodes>");
    std::vector<RegcodeEntry> entries;
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].regcodes, (std::vector<std::string>{"D-AAAC"}));
    const std::string text = log();
    EXPECT_EQ(countOf(text, "===> SAME AS PREVIOUS title 'A'\n"), 1u);
}

TEST_F(AigRegcodesTest, AFileThatCannotBeLoaded)
{
    std::vector<RegcodeEntry> entries;
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    writeFile(g_regcodesXmlPath, "<AIG-regcodes><livery title=\"A\"></AIG-regcodes>");
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(countOf(log(), "===> Failed to load input/AIG-regcodes.xml\n"), 2u);
}

TEST_F(AigRegcodesTest, ADocumentWithoutTheListHasNoEntries)
{
    writeFile(g_regcodesXmlPath, "<something/>");
    std::vector<RegcodeEntry> entries;
    EXPECT_TRUE(gf_readAigRegcodes(entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_NE(log().find("\n0 liveries read from input/AIG-regcodes.xml\n"), std::string::npos);
}

} // namespace
