#include "foundation/program.h"
#include "foundation/version.h"

#include "support/logged_folder.h"

#include <gtest/gtest.h>

namespace {

void expectVersion(const VersionData& v, std::uint32_t major, std::uint32_t minor, std::uint32_t patch)
{
    EXPECT_EQ(v.major, major);
    EXPECT_EQ(v.minor, minor);
    EXPECT_EQ(v.patch, patch);
}

TEST(Version, TextForms)
{
    testsupport::LoggedFolder folder;
    expectVersion(VersionData("11.0.4"), 11, 0, 4);
    expectVersion(VersionData("2024.1.15"), 2024, 1, 15);
    expectVersion(VersionData("11-0-4"), 11, 0, 4); // any single character separates
    expectVersion(VersionData("12345"), 1, 3, 5);   // a digit too, the first runs cut longest
    expectVersion(VersionData(""), 0, 0, 0);
    expectVersion(VersionData("1.2"), 0, 0, 0); // valid JSON, but no object
    EXPECT_TRUE(folder.logLines().empty());

    expectVersion(VersionData("v11.0.4"), 0, 0, 0);
    expectVersion(VersionData("1.99999999999.3"), 1, 0, 0);
    expectVersion(VersionData("2147483647.2147483648.0"), 2147483647, 0, 0);
    expectVersion(VersionData(std::string(256 - 4, '9') + ".0.0"), 0, 0, 0); // as long as a text may be
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].starts_with("VersionData exception: ")) << lines[0];
    EXPECT_EQ(lines[1], "VersionData exception: parse error in version string");
    EXPECT_EQ(lines[2], "VersionData exception: parse error in version string");
    EXPECT_EQ(lines[3], "VersionData exception: parse error in version string");
}

// Texts longer than any version are refused before they are matched: a long run of digits with a
// line break behind it costs the matcher the square of its length (seconds for 40,000 digits).
TEST(Version, TextsLongerThanAnyVersionAreRefused)
{
    testsupport::LoggedFolder folder;
    for (const std::string& text : {std::string(40000, '9') + "\n1", std::string(40000, '9') + "\n",
                                    std::string(30000, '9'), "11.0.4" + std::string(251, ' ')}) {
        expectVersion(VersionData(text), 0, 0, 0);
        EXPECT_EQ(folder.logLines().back(), "VersionData exception: version text longer than 256 characters");
    }
    EXPECT_EQ(folder.logLines().size(), 4u);
    // the JSON form with blanks up to the bound is read
    const std::string json = R"({"major": 3, "minor": 2, "patch": 1})";
    expectVersion(VersionData(json + std::string(256 - json.size(), ' ')), 3, 2, 1);
    EXPECT_EQ(folder.logLines().size(), 4u);
}

TEST(Version, JsonForms)
{
    testsupport::LoggedFolder folder;
    expectVersion(VersionData(R"({"major": 3, "minor": 2, "patch": 1})"), 3, 2, 1);
    expectVersion(VersionData(R"({"major": 3})"), 3, 0, 0);
    expectVersion(VersionData(R"(["major", 3])"), 0, 0, 0);
    // the type and range first: a number a field cannot hold counts as absent
    expectVersion(VersionData(R"({"major": 1e300, "minor": -1, "patch": 2147483648})"), 0, 0, 0);
    expectVersion(VersionData(R"({"major": 2147483647, "minor": 2.9})"), 2147483647, 2, 0);
    EXPECT_TRUE(folder.logLines().empty());
    expectVersion(VersionData(std::string(64, '[') + std::string(64, ']')), 0, 0, 0);
    EXPECT_TRUE(folder.logLines().empty());

    expectVersion(VersionData(R"({"major": 3, "minor": "two"})"), 3, 0, 0);
    expectVersion(VersionData(std::string(65, '[') + std::string(65, ']')), 0, 0, 0);
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].starts_with("VersionData exception: [json.exception.type_error.302]")) << lines[0];
    EXPECT_EQ(lines[1], "VersionData exception: JSON nested deeper than 64 levels");
}

TEST(Version, PrintingAndComparing)
{
    EXPECT_EQ(VersionData("11.0.4").toString(), "11.0.4");
    EXPECT_EQ(g_programVersion.toString(), "11.0.4");
    for (const auto& [newer, older] : {std::pair{"11.0.5", "11.0.4"}, {"11.1.0", "11.0.9"}, {"12.0.0", "11.9.9"}})
        EXPECT_TRUE(gf_isNewerVersion(VersionData(newer), VersionData(older)) &&
                    !gf_isNewerVersion(VersionData(older), VersionData(newer))) << newer;
    EXPECT_FALSE(gf_isNewerVersion(VersionData("11.0.4"), VersionData("11.0.4")));
}

} // namespace
