// The registration-code lists: the user's text files in input/my_regcodes in any charset, and
// the shipped AIG-regcodes.xml.
#include "aircraft_test_support.h"

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
    // "title: regcodes[ special]" of every entry
    std::vector<std::string> described() const
    {
        std::vector<std::string> result;
        for (const auto& e : entries) {
            result.push_back(e.title + ":");
            for (const auto& regcode : e.regcodes)
                result.back() += " " + regcode;
            result.back() += e.special ? " special" : "";
        }
        return result;
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
    // one registration is special without "#"
    EXPECT_EQ(described(), (std::vector<std::string>{"A320 Old Colours:", "B744 Retro: D-ABYT special",
                                                     "A321 Team: D-AIDA D-AIDB", "A321 Star: D-AIDC D-AIDD special",
                                                     "A321 Other: D-AIDE D-AIDF"}));
    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("\nProcessing regcodes file 'input/my_regcodes/mine.txt'\n"));
    EXPECT_THAT(text, HasSubstr("\n5 liveries\n"));
    EXPECT_EQ(text.find("===>"), std::string::npos);
}

TEST_F(MyRegcodesTest, RejectedLinesAreLoggedAndMakeTheResultFalse)
{
    EXPECT_FALSE(read("a;b;c;d\n"
                      "Short ones ; AB, X\n"
                      "Too long ; ABCDEFGHIJKLM\n"
                      "Mixed ; D-ABCD, XY, D-ABCE\n"));
    EXPECT_EQ(described(), std::vector<std::string>{"Mixed: D-ABCD D-ABCE"});
    const std::string text = log();
    EXPECT_THAT(text, HasSubstr("===> input/my_regcodes/mine.txt: wrong format 'a;b;c;d'\n"));
    for (const std::string regcode : {"AB", "X", "XY", "ABCDEFGHIJKLM"})
        EXPECT_THAT(text, HasSubstr("===> wrong regcode length '" + regcode + "' in input/my_regcodes/mine.txt\n"));
    // all of several too short: one regs-empty line; a single bad one: no regs-empty line
    EXPECT_EQ(countOf(text, "===> input/my_regcodes/mine.txt ; regs empty?\n"), 1u);
    EXPECT_THAT(text, HasSubstr("\n1 livery\n"));
}

// Only text files right in the folder, in name order, each in its own charset: files saved by a
// text editor may carry a byte-order mark or be UTF-16.
TEST_F(MyRegcodesTest, TextFilesOfTheFolderAreReadInNameOrderAndTheirOwnCharset)
{
    writeFile(g_folder / "1-bom.txt", "\xEF\xBB\xBFWith Mark ; D-AAAA\r\n");
    writeFile(g_folder / "3-le.TXT", lf_utf16(u"Little \u00C9ndian ; D-BBBB\r\nDon't Use\r\n", false));
    writeFile(g_folder / "2-be.txt", lf_utf16(u"Big Endian ; D-CCCC, D-CCCD ; #\n", true));
    writeFile(g_folder / "4-one.txt", "X");
    writeFile(g_folder / "5-empty.txt", "");
    writeFile(g_folder / "0.xml", "Not read ; D-DDDD\n");
    writeFile(g_folder / "0" / "sub.txt", "Not read either ; D-DDDD\n");
    fs::create_directories(g_folder / "0-folder.txt");
    EXPECT_TRUE(gf_readMyRegcodes(g_folder, entries));
    EXPECT_EQ(described(), (std::vector<std::string>{"With Mark: D-AAAA special", "Big Endian: D-CCCC D-CCCD special",
                                                     "Little \xC3\x89ndian: D-BBBB special", "Don't Use:", "X:"}));
}

TEST_F(MyRegcodesTest, AMissingFolderIsLoggedAndFalse)
{
    entries.push_back({"kept", {}, false});
    EXPECT_FALSE(gf_readMyRegcodes("input/nowhere", entries));
    EXPECT_EQ(entries.size(), 1u);
    EXPECT_THAT(log(), HasSubstr("===> Error reading regcode files in input/nowhere, what: "));
}

class AigRegcodesTest : public MyRegcodesTest {};

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
    entries = {{"earlier", {}, false}};
    EXPECT_TRUE(gf_readAigRegcodes(entries));
    // a title without registrations is one not to use
    EXPECT_EQ(described(), (std::vector<std::string>{"earlier:", "A388 Lufthansa: D-AIMA D-AIMB",
                                                     "B744 Retro: D-ABYT special", "A320 Unwanted:",
                                                     "B748 Flag: D-ABYA"}));
    EXPECT_THAT(log(), HasSubstr("\n5 liveries read from input/AIG-regcodes.xml\n"));
}

TEST_F(AigRegcodesTest, ATitleRepeatingItsPredecessorIsSkipped)
{
    writeFile(g_regcodesXmlPath, "<AIG-regcodes>"
                                 "<livery title=\"A\" reg=\"D-AAAA\"/><livery title=\"A\" reg=\"D-AAAB\"/>"
                                 "<livery title=\"B\" reg=\"D-BBBB\"/><livery title=\"A\" reg=\"D-AAAC\"/>"
                                 "</AIG-regcodes>");
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    EXPECT_EQ(described(), (std::vector<std::string>{"A: D-AAAA", "B: D-BBBB", "A: D-AAAC"}));
    EXPECT_EQ(countOf(log(), "===> SAME AS PREVIOUS title 'A'\n"), 1u);
}

TEST_F(AigRegcodesTest, AFileThatCannotBeLoadedOrHoldsNoList)
{
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    writeFile(g_regcodesXmlPath, "<AIG-regcodes><livery title=\"A\"></AIG-regcodes>");
    EXPECT_FALSE(gf_readAigRegcodes(entries));
    writeFile(g_regcodesXmlPath, "<something/>");
    EXPECT_TRUE(gf_readAigRegcodes(entries));
    EXPECT_TRUE(entries.empty());
    const std::string text = log();
    EXPECT_EQ(countOf(text, "===> Failed to load input/AIG-regcodes.xml\n"), 2u);
    EXPECT_THAT(text, HasSubstr("\n0 liveries read from input/AIG-regcodes.xml\n"));
}

} // namespace
