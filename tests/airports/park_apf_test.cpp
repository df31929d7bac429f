#include "airports/fake_aircraft.h"
#include "airports/learned_apf.h"
#include "airports/park_apf.h"
#include "airports/stand_size.h"

#include "airports/park_airport_list.h"
#include "airports_fixture.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "foundation/random.h"
#include "support/manual_time.h"

#include <chrono>
#include <fmt/format.h>
#include <gsl/narrow>
#include <map>
#include <set>
#include <sys/stat.h>

using namespace airportstest;

static const std::string lf_alt = "<parameter name='altitude' value='364'/>";

// A stand `metres` north of 50 N 8.5 E.
static std::string lf_pp(const std::string& id, double metres, const std::string& attrs = "radius='20'",
                         const std::string& opts = "")
{
    return fmt::format("<parkpos id='{}' latitude='{:.9f}' longitude='8.5' {}>{}</parkpos>", id,
                       50.0 + metres / 1852.0 / 60.0, attrs, opts);
}

// `count` stands named prefix0, prefix1 ... from `metres` north of 50 N 8.5 E on, `apart` apart.
static std::string lf_row(const std::string& prefix, int count, double metres, double apart,
                          const std::string& attrs = "radius='20'")
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += lf_pp(fmt::format("{}{}", prefix, i), metres + i * apart, attrs);
    return text;
}

class ParkApfTest : public AirportsTest {
protected:
    ParkApfTest()
    {
        parkAirport = Airport{"EDDF", "FRA", 50.0, 8.5, 0.0};
        ParkLoadHooks hooks;
        hooks.enableControl = [this](const UiControl& c, bool on) { enabled[c.controlId] = on; };
        hooks.showParkFile = [this](const ParkFileDisplay& d) { shown = d; };
        hooks.setFeedElevation = [this](double feet) { elevation = feet; };
        hooks.switchAutoRange = [this](bool on, bool) { autoRange = on; };
        g_parkLoadHooks.install(std::move(hooks));
    }
    ~ParkApfTest() override { g_parkLoadHooks.install({}); }
    static void putLocal(const std::string& text) { writeFile("airports/my_thirdparty/EDDF.xml", text); }
    // Stands A1 (5 m, one option) and A2 of publisher Pub, whose learned file lies in `learned`.
    static void putArchive()
    {
        putLocal(apfText(lf_pp("A1", 0, "radius='5'", "<opt reg='D-A' airl='DLH' type='A320' day='1' hh='11,12'/>") +
                 lf_pp("A2", 100), lf_alt + "<parameter name='publisher' value='Pub'/><parameter name='airport_name' value='Rhein'/>"));
    }
    static inline const std::string learned = "airports/learned/thirdparty/Pub/EDDF.xml";
    static std::string load()
    {
        try {
            return gf_readParkedFile();
        } catch (const brv::UserErrorException& e) {
            return fmt::format("{}: {}", e.code(), e.what());
        }
    }
    static std::string names()
    {
        std::string text;
        for (const Stand& stand : g_parkStands)
            text += (text.empty() ? "" : ",") + stand.name;
        return text;
    }

    std::map<std::uint16_t, bool> enabled;
    ParkFileDisplay shown;
    std::optional<double> elevation;
    std::optional<bool> autoRange;
};

TEST_F(ParkApfTest, EachSourceInTheFolderOfTheSimulatorAndEachRefusal)
{
    const std::string here = "airports/my_thirdparty/EDDF.xml", pub = "archive/thirdparty/P/EDDF.xml",
                      a1 = apfText(lf_pp("A1", 0), lf_alt);
    const struct { std::string file, text, link; bool msfs2020; std::string result, stands; } cases[] = {
        {here, a1, "", false, "", "A1"},
        {"site/MSFS/archive/stock/EDDF.xml", a1, "", false, "", "A1"}, // the stock archive has no 2024 folder
        {"site/MSFS2024/" + pub, a1, pub, false, "", "A1"},
        {"site/MSFS/" + pub, a1, pub, true, "", "A1"},
        {"site/MSFS/" + pub, a1, pub, false, "failed to download: 'file://", ""},
        {here, "<meta><info name='author' value='a'/><info name='version' value='1'/></meta>" + lf_pp("A1", 0), "",
         false, here + ": refused to load (copyright)", ""},
        {here, "<meta", "", false, here + ": could not load file: " + here, ""},
        {here, apfText(lf_pp("A1", 0)), "", false, "65: Parameter altitude not found", ""},
        {here, apfText(lf_pp("A1", 0) + lf_pp("A1", 50) + lf_pp("B", 99), lf_alt), "", false,
         "94: Parking position A1 appears more than once?", "A1"},
        {here, apfText("<parkpos id='Z' latitude='0' longitude='0'/>", lf_alt), "", false, "no stands found", ""},
    };
    for (const auto& c : cases) {
        for (const char* path : {"airports/my_thirdparty", "airports/park_airport.xml", "site"})
            fs::remove_all(path);
        writeFile(c.file, c.text);
        writeFile("airports/my_thirdparty/EDDF.txt", c.link); // empty: no link
        g_msfs2020Mode = c.msfs2020;
        g_parkAirportLoaded = false;
        EXPECT_EQ((std::tuple{load().substr(0, c.result.empty() ? std::string::npos : c.result.size()), names(),
                              g_parkAirportLoaded.load(), fs::exists("airports/park_airport.xml")}),
                  (std::tuple{c.result, c.stands, c.result.empty() || c.result == "no stands found",
                              c.result.empty() && c.file != here})) << c.text;
    }
    writeFile("airports/my_thirdparty/EDDF.txt", "archive/thirdparty/unknown/EDDF.xml");
    EXPECT_EQ(load(), "gf_readParkedFile EDDF has publisher:unknown, archive/thirdparty/unknown/EDDF.xml");
    fs::remove_all("airports");
    EXPECT_EQ(load(), "gf_readParkedFile EDDF not found");
    parkAirport = Airport{};
    EXPECT_EQ(gf_readApf(here, g_parkApfInfo, g_parkQf), "gf_readApf: no park airport set");
}

TEST_F(ParkApfTest, NumbersNeighboursAndWhatTheWindowShows)
{
    PARK_FAKE.value = g_apfParamsChanged = true;
    parking_percentage.value = 70;
    putLocal(apfText(lf_pp("A", 0) + lf_pp("B", 36) + lf_pp("C", 73),
                     lf_alt + "<parameter name='publisher' value='Pub'/><parameter name='airport_name' value='Rhein'/>"
                              "<parameter name='Qf_real' value='50'/><parameter name='RT_traffic_week' value='30'/>"));
    EXPECT_EQ(load(), "");
    ASSERT_EQ(names(), "A,B,C");
    // 20 m + 20 m > 1.1 x 36 m; not > 1.1 x 37 m; no made-up aircraft without a learned file
    const std::vector<std::uint32_t> neighbours[] = {{2}, {1}, {}};
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ((std::tuple{g_parkStands[i].id, g_parkStands[i].neighbours, g_parkStands[i].options.size()}),
                  (std::tuple{i + 1, neighbours[i], 0u}));
    EXPECT_TRUE(folder.logHas("          parking_percentage      : 30%"));
    EXPECT_EQ(enabled, (std::map<std::uint16_t, bool>{{parking_percentage.controlId, false},
                                                      {g_flushStaticButton.controlId, true},
                                                      {LEARN_SOFT.controlId, true}}));
    EXPECT_EQ((std::tuple{shown.ok, shown.airportName, shown.publisher, shown.qualityFactor, shown.standCount,
                          shown.rtTrafficWeek, elevation, parkAirport.alt, g_parkAirportLoaded.load(),
                          g_apfParamsChanged.load(), parking_percentage.value.load()}),
              (std::tuple{true, "Rhein", "Pub", "50", 3, 30, std::optional(364.0), 364.0, true, false, 30}));
}

// An airport without a file, or with one that is refused, shows nothing of the airport before it.
TEST_F(ParkApfTest, NothingOfTheEarlierAirportsFileStaysOnShow)
{
    putLocal(apfText(lf_pp("A", 0), lf_alt + "<parameter name='publisher' value='Pub'/><parameter name='airport_name' "
                                            "value='Rhein'/><parameter name='Qf_real' value='50'/><parameter "
                                            "name='RT_traffic_week' value='30'/>"));
    const struct { const char* name; std::string code, link; } cases[] = {
        {"no file", "EDDX", ""},
        {"publisher unknown", "EDDF", "archive/thirdparty/unknown/EDDF.xml"},
        {"download fails", "EDDF", "archive/thirdparty/P/EDDF.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("airports/my_thirdparty/EDDF.txt", "");
        parkAirport.code = "EDDF";
        ASSERT_EQ(load(), "");
        ASSERT_TRUE(shown.ok && shown.standCount == 1 && !shown.publisher.empty());
        writeFile("airports/my_thirdparty/EDDF.txt", c.link);
        parkAirport.code = c.code;
        EXPECT_NE(load(), "");
        EXPECT_EQ((std::tuple{shown.ok, shown.airportName, shown.publisher, shown.handmade, shown.qualityFactor,
                              shown.standCount, shown.rtTrafficWeek}),
                  (std::tuple{false, "", "", false, "", 0, 0}));
    }
}

TEST_F(ParkApfTest, LearnSoftByQualityAndStandCount)
{
    const struct { int qf, stands; bool before, after; } cases[] = {
        {45, 20, true, false}, {44, 20, true, true}, {45, 19, true, true}, {45, 20, false, false}};
    for (const auto& c : cases) {
        std::string stands;
        for (int i = 0; i < c.stands; ++i)
            stands += lf_pp(fmt::format("S{}", i), i * 100.0);
        putLocal(apfText(stands, lf_alt + fmt::format("<parameter name='Qf_real' value='{}'/>", c.qf)));
        LEARN_SOFT.value = c.before;
        EXPECT_EQ(load(), "");
        // not allowed: its box is disabled even when it was off
        EXPECT_EQ((std::tuple{LEARN_SOFT.value.load(), enabled[LEARN_SOFT.controlId], g_apfParamsChanged.load()}),
                  (std::tuple{c.after, c.qf < 45 || c.stands < 20, c.before != c.after}));
    }
}

TEST_F(ParkApfTest, ParkAirportListAndReservedStand)
{
    putLocal(apfText(lf_pp("A", 0) + lf_pp("B", 100), lf_alt));
    g_userOnGround = true;
    const struct { std::list<MyParkAirport> list; double north; const char *after, *file, *reserved; bool ok; } cases[] = {
        {{}, 0.0, "EDDF,A;", "EDDF,A\n", "A", true},
        // listed further down: moved up with its remembered stand, not listed twice
        {{{"EHAM", "", 0, 0, 0}, {"EDDF", "B", 0, 0, 0}}, 500.0, "EDDF,B;EHAM,;", "EDDF,B\n", "B", true},
        {{{"EDDF", "Q9", 0, 0, 0}}, 500.0, "EDDF,Q9;", "EDDF,B\n", "", false},
    };
    for (const auto& c : cases) {
        g_userData.latitude = 50.0 + c.north / 1852.0 / 60.0;
        g_userData.longitude = 8.5;
        g_myParkAirports = c.list;
        EXPECT_EQ(load(), "");
        std::string list;
        for (const MyParkAirport& entry : g_myParkAirports)
            list += entry.code + "," + entry.stand + ";";
        EXPECT_EQ((std::tuple{list, readFile("airports/my_park_airports.txt"), g_reservedStand.get(),
                              shown.reservedStand, shown.reservedStandOk}),
                  (std::tuple{c.after, c.file, c.reserved, c.reserved, c.ok}));
    }
}

TEST_F(ParkApfTest, OptionsStandsAndCorrectionsMerged)
{
    constexpr const char* opt = "<opt reg='D-A' airl='DLH' type='A320' day='1' hh='{}'/>";
    writeFile(learned, apfText(
        lf_pp("A1", 0, "", fmt::format(opt, "10,11") + fmt::format(opt, "10")) +
            lf_pp("A2", 0, "radius_change='true' radius='30' cargo_change='true' cargo='true'") + lf_pp("Z9", 0) +
            lf_pp("A1", 0, "manual='true' radius='10'") + lf_pp("M0", 300, "manual='true' radius='-5'") +
            "<parkpos id='M1' latitude='95' longitude='8.5' radius='10' manual='true'/>" +
            "<parkpos id='M2' latitude='0.00005' longitude='0.00008' radius='10' manual='true'/>" +
            lf_pp("M3", 400, "manual='true' radius='0'") + lf_pp("M4", 300, "manual='true' radius='15'"),
        "<parameter name='airport_name' value='Main'/><parameter name='parking_percentage' value='150'/>"
        "<parameter name='WEEK' value='28'/><parameter name='MAX_FIT' value='60'/>"
        "<parameter name='AUTO_RANGE' value='true'/><parameter name='PARK_FAKE' value='true'/>"));
    MAX_LIVE_SEL.value = 75;
    WEEK.value = true;
    putArchive();
    EXPECT_EQ(load(), "");
    ASSERT_EQ(names(), "A1,A2,M4");
    const std::vector<StandOption>& a1 = g_parkStands[0].options;
    ASSERT_EQ(a1.size(), 3u); // the archived option, the one at half hour 10, a made-up one
    EXPECT_EQ((std::tuple{a1[1].optionId, a1[1].fromApf, a1[1].hh.to_ullong(), a1[2].cs, a1[2].optionId}),
              (std::tuple{2, 0u, 1ull << 10, "FAKE1", 3}));
    const Stand& a2 = g_parkStands[1];
    EXPECT_EQ((std::tuple{std::lround(a2.radius * 1852.0), a2.radius_change, a2.cargo, a2.cargo_change, a2.manual,
                          g_parkStands[2].manual}),
              (std::tuple{30L, true, true, true, false, true}));
    // MAX_LIVE absent: unchanged; the percentage clamped; WEEK 28 is no boolean
    EXPECT_EQ((std::tuple{MAX_LIVE_SEL.value.load(), parking_percentage.value.load(), WEEK.value.load(),
                          MAX_FIT.value.load(), MAX_FIT_FL.value.load(), autoRange}),
              (std::tuple{75, 100, true, 47, 24.0F, std::optional(true)}));
    EXPECT_EQ(gf_statusLine().text, "Warning: learned file airport name: 'Main' differs from archived file airport name: 'Rhein'");
    for (const char* line : {"learned stand Z9 in {} not found?", "===> manually created standid A1 already exists in {}",
                             "===> manually created standid M2 misses correct attributes in {}",
                             "          MAX_FIT                 : 47 (max number of half hours, is 24 hrs decimal)"})
        EXPECT_TRUE(folder.logHas(fmt::format(fmt::runtime(line), learned))) << line;
}

TEST_F(ParkApfTest, HandmadeUnparsableAndIncompleteFiles)
{
    const std::string handmade = "<parameter name='handmade' value='false'/><parameter name='parking_percentage' value='55'/>";
    // the last three are not taken whole: each is kept as it was beside it
    const struct { std::string file; const char* stands; bool handmade; int percentage; } cases[] = {
        {apfText(lf_pp("H1", 0) + lf_pp("H2", 99), handmade), "H1,H2", true, 55},
        {apfText(lf_pp("H1", 0) + lf_pp("H1", 99) + lf_pp("H3", 200), handmade), "H1", true, 55},
        {"<meta><parkpositions>", "A1,A2", false, 20},
        {"<meta/><parameters><parameter name='parking_percentage' value='55'/></parameters>", "A1,A2", false, 20},
    };
    putArchive();
    const std::string copy = "airports/learned/thirdparty/Pub/EDDF.0.xml";
    for (const auto& c : cases) {
        writeFile(learned, c.file);
        fs::remove(copy);
        parking_percentage.value = 20;
        EXPECT_EQ(load(), "");
        EXPECT_EQ((std::tuple{names(), g_parkHandmade, shown.handmade, parking_percentage.value.load()}),
                  (std::tuple{c.stands, c.handmade, c.handmade, c.percentage})) << c.file;
        EXPECT_EQ(readFile(copy), &c == &cases[0] ? "" : c.file);
    }
    EXPECT_TRUE(folder.logHas("Airport file read from '" + learned + "' for Rhein"));
    EXPECT_TRUE(folder.logHas("gf_readLearned: Parking position H1 appears more than once?"));
}

// Each file logs only its first invalid half hours, cut short, however many options hold them.
TEST_F(ParkApfTest, InvalidHalfHoursLoggedFirstFewPerFileCut)
{
    const std::string bad = fmt::format("<opt reg='D-A' day='1' hh='1,{},2'/>", std::string(40000, '7'));
    std::string opts;
    for (int i = 0; i < 20; ++i)
        opts += bad;
    putLocal(apfText(lf_pp("A1", 0, "radius='20'", opts), lf_alt + "<parameter name='publisher' value='Pub'/>"));
    writeFile(learned, apfText(lf_pp("A1", 0, "", opts)));
    EXPECT_EQ(load(), "");
    ASSERT_EQ(g_parkStands.size(), 1u);
    EXPECT_EQ(gf_bitset2hours(g_parkStands[0].options.at(19).hh), "1,2");
    const auto lines = folder.logLines();
    const auto invalid = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.starts_with("===> gf_hours2bitset invalid hour");
    });
    EXPECT_EQ(invalid, 10) << "five of each file";
    for (const std::string& line : lines)
        EXPECT_LT(line.size(), 400u) << line.substr(0, 80);
}

// A file of more stands than any airport has is refused before a stand is read: the parking file
// with the loader's text, the learned file with its line, its settings untouched.
TEST_F(ParkApfTest, MoreStandsThanAnyAirportRefused)
{
    const auto lt_stands = [](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += fmt::format("<parkpos id='S{}' latitude='{}' longitude='8.5' radius='20'/>", i,
                                50.0 + 0.001 * static_cast<double>(i));
        return text;
    };
    putLocal(apfText(lt_stands(g_maxAirportStands + 1), lf_alt));
    EXPECT_EQ(load(), "gf_readApf: 5001 parking positions, more than any airport has (5000)");
    EXPECT_TRUE(g_parkStands.empty());
    putArchive();
    writeFile(learned, apfText(lt_stands(g_maxAirportStands + 1), "<parameter name='handmade' value='true'/>"
                                                             "<parameter name='PARK_FAKE' value='true'/>"));
    EXPECT_EQ(load(), "");
    EXPECT_EQ((std::tuple{names(), g_parkHandmade, PARK_FAKE.value.load()}), (std::tuple{"A1,A2", false, false}));
    EXPECT_TRUE(folder.logHas("gf_readLearned: 5001 parking positions, more than any airport has (5000)"));
    EXPECT_EQ(readFile("airports/learned/thirdparty/Pub/EDDF.0.xml"), readFile(learned));
    putLocal(apfText(lt_stands(g_maxAirportStands), lf_alt));
    EXPECT_EQ(load(), "");
    EXPECT_EQ(g_parkStands.size(), g_maxAirportStands);
}

// A stand overlapping more than 64 stands read before it is not loaded, with one line per file,
// also when a repeated stand ends a handmade file, and when the learned file changed the circles.
TEST_F(ParkApfTest, StandsOverlappingTooManyBeforeThemNotLoaded)
{
    const std::string pub = lf_alt + "<parameter name='publisher' value='Pub'/>";
    const std::string handmade = "<parameter name='handmade' value='true'/>";
    const std::string parking = "airports/my_thirdparty/EDDF.xml";
    const struct { const char* name; std::string archive, learned; std::size_t stands; std::string file; int refused; }
        cases[] = {
        {"65 at one spot", lf_row("S", 65, 0, 0), "", 65, "", 0},
        {"66", lf_row("S", 66, 0, 0), "", 65, parking, 1},
        {"5000", lf_row("S", 5000, 0, 0), "", 65, parking, 4935},
        {"handmade", lf_row("S", 2, 0, 100), apfText(lf_row("H", 70, 0, 0), handmade), 65, learned, 5},
        {"handmade, a stand repeated", lf_row("S", 2, 0, 100),
         apfText(lf_row("H", 70, 0, 0) + lf_pp("H1", 50), handmade), 65, learned, 5},
        {"radii of 10 km", lf_row("S", 100, 0, 100), apfText(lf_row("S", 100, 0, 100, "radius_change='1' radius='1e4'")),
         65, learned, 35},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("airports/learned");
        putLocal(apfText(c.archive, pub));
        if (!c.learned.empty())
            writeFile(learned, c.learned);
        EXPECT_EQ(load(), "");
        ASSERT_EQ(g_parkStands.size(), c.stands);
        EXPECT_EQ(g_parkStands.back().neighbours.size(), 64u);
        const std::string line = fmt::format("===> {} parking positions in {} not loaded: each overlaps more than 64 "
                                             "read before it", c.refused, c.file);
        EXPECT_EQ(folder.logHas(line), c.refused > 0) << line;
        EXPECT_EQ(fs::exists("airports/learned/thirdparty/Pub/EDDF.0.xml"), c.file == learned);
    }
}

// The learned file's stands made by hand count against the airport's limit, and a radius
// correction below 0 is refused; whatever was refused stays in the file's copy *.0.xml.
TEST_F(ParkApfTest, LearnedRefusalsLoggedAndTheFileKeptAsItWas)
{
    const std::string pub = lf_alt + "<parameter name='publisher' value='Pub'/>";
    const std::string change = "cargo_change='true' cargo='true' radius_change='true' radius=";
    // the stand S1 after the merge: its radius in metres, whether it changed, its cargo flag
    const struct { int archived; std::string text; std::size_t stands; std::string line; long radius; bool cargo; }
        cases[] = {
        {2, apfText(lf_row("M", 3, 500, 100, "manual='true' radius='10'") + lf_pp("S1", 0, change + "'30'")), 5, "", 30,
         true},
        {4998, apfText(lf_row("M", 5, 500, 100, "manual='true' radius='10'")), 5000,
         "===> 3 manually created stands refused in {}: more stands than any airport has (5000)", 20, false},
        {2, apfText(lf_row("M", 70, 500, 0, "manual='true' radius='10'")), 67,
         "===> 5 parking positions in {} not loaded: each overlaps more than 64 read before it", 20, false},
        // the radius refused, the rest of the element taken
        {2, apfText(lf_pp("S1", 0, change + "'-30'")), 2,
         "===> learned radius_change of standid S1 misses a correct radius in {}", 20, true},
        {2, apfText(lf_pp("S0", 0, change + "'0'")), 2,
         "===> learned radius_change of standid S0 misses a correct radius in {}", 20, false},
        // what the next save would drop: the options of a stand the airport lacks, a file not read
        {2, apfText(lf_pp("X9", 0, "radius='20'", "<opt reg='D-X' airl='DLH' type='A320' day='1' hh='1'/>")), 2,
         "learned stand X9 in {} not found?", 20, false},
        {2, "<parameters/><parkpositions>" + lf_pp("S1", 0, change + "'30'") + "</parkpositions>", 2,
         "gf_readLearned: no author, date or version: the file is not read", 20, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        fs::remove_all("airports/learned");
        putLocal(apfText(lf_row("S", c.archived, 0, 100), pub));
        writeFile(learned, c.text);
        EXPECT_EQ(load(), "");
        const Stand& s1 = g_parkStands.at(1);
        EXPECT_EQ((std::tuple{g_parkStands.size(), std::lround(s1.radius * 1852.0), s1.radius_change, s1.cargo}),
                  (std::tuple{c.stands, c.radius, c.radius == 30, c.cargo}));
        const auto lines = folder.logLines();
        const std::string line = fmt::format(fmt::runtime(c.line), learned);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), c.line.empty() ? 0 : 1) << line;
        EXPECT_EQ(readFile("airports/learned/thirdparty/Pub/EDDF.0.xml"), c.line.empty() ? "" : c.text);
        EXPECT_EQ(folder.logHas(learned + " had refused stands or changes, saved as *.0.xml"), !c.line.empty());
    }
}

static std::string lf_copy(int number) { return fmt::format("airports/learned/thirdparty/Pub/EDDF.{}.xml", number); }

static ino_t lf_inode(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

static std::vector<std::string> lf_copies()
{
    std::vector<std::string> texts;
    for (int number = 0; fs::exists(lf_copy(number)); ++number)
        texts.push_back(readFile(lf_copy(number)));
    return texts;
}

// A refusal never writes over a copy: each version goes to the next free name, once however
// often it is loaded; an unparsable file likewise.
TEST_F(ParkApfTest, EachRefusedVersionKeptOnceInACopyOfItsOwn)
{
    putArchive();
    const std::string v1 = apfText(lf_pp("X9", 0, "radius='20'", "<opt reg='D-X' day='1' hh='1'/>"));
    const std::string v2 = apfText(lf_pp("A1", 0, "manual='true' radius='10'")), v3 = "<meta";
    const struct { std::string file; std::vector<std::string> copies; std::string line; } visits[] = {
        {v1, {v1}, "{} had refused stands or changes, saved as *.0.xml"},
        {v2, {v1, v2}, "{} had refused stands or changes, saved as *.1.xml"},
        {v2, {v1, v2}, "{} had refused stands or changes, kept already as *.1.xml"},
        {v2, {v1, v2}, "{} had refused stands or changes, kept already as *.1.xml"},
        {v1, {v1, v2}, "{} had refused stands or changes, kept already as *.0.xml"}, // an older version
        {v3, {v1, v2, v3}, "{} found, but could not be loaded, saved as *.2.xml: Error parsing start element tag"},
        {v3, {v1, v2, v3},
         "{} found, but could not be loaded, kept already as *.2.xml: Error parsing start element tag"},
    };
    for (const auto& visit : visits) {
        const std::string line = fmt::format(fmt::runtime(visit.line), learned);
        SCOPED_TRACE(line);
        writeFile(learned, visit.file);
        const auto before = static_cast<std::ptrdiff_t>(folder.logLines().size());
        EXPECT_EQ(load(), "");
        EXPECT_EQ(lf_copies(), visit.copies);
        const auto lines = folder.logLines();
        EXPECT_EQ(std::count(lines.begin() + before, lines.end(), line), 1);
        EXPECT_FALSE(g_learnedFileHeld);
    }
}

// With all ten copies taken, no copy is made, and the file is kept from the visit's save.
TEST_F(ParkApfTest, WithEveryCopyTakenTheRefusedFileIsHeld)
{
    putArchive();
    const std::string taken = " and is not written over in this visit: *.0.xml to *.9.xml are taken";
    const struct { std::string file, line; } cases[] = {
        {apfText(lf_pp("X9", 0)), "{} had refused stands or changes," + taken},
        {"<meta", "{} found, but could not be loaded," + taken + ": Error parsing start element tag"},
    };
    for (const auto& c : cases) {
        const std::string line = fmt::format(fmt::runtime(c.line), learned);
        SCOPED_TRACE(line);
        for (int number = 0; number < 10; ++number)
            writeFile(lf_copy(number), std::to_string(number));
        writeFile(learned, c.file);
        gf_clearStatusAndError();
        EXPECT_EQ(load(), "");
        EXPECT_TRUE(g_learnedFileHeld);
        EXPECT_EQ(lf_copies(), (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
        EXPECT_EQ((std::tuple{folder.logHas("===> " + line), gf_statusLine().text}), (std::tuple{true, line}));
        fs::remove(lf_copy(4)); // a free name again
        EXPECT_EQ(load(), "");
        EXPECT_FALSE(g_learnedFileHeld);
        EXPECT_EQ(readFile(lf_copy(4)), c.file);
    }
}

// A file over 16 MiB is refused unread and renamed to the next free copy name; with none free it
// stays, unread, and is kept from the visit's save.
TEST_F(ParkApfTest, ALearnedFileOver16MiBMovedAsideUnread)
{
    putArchive();
    // read, it would change A1's radius and the parking percentage
    const std::string big = apfText("<!--" + std::string((17 << 20) - 300, 'x') + "-->" +
                                        lf_pp("A1", 0, "radius_change='true' radius='9'"),
                                    "<parameter name='parking_percentage' value='55'/>");
    const std::string size = std::to_string(big.size());
    const struct { int taken; std::string copy, line; } cases[] = {
        {0, lf_copy(0), "{} refused unread: {} bytes, more than 16777216, moved to *.0.xml"},
        {3, lf_copy(3), "{} refused unread: {} bytes, more than 16777216, moved to *.3.xml"},
        {10, learned, "{} refused unread: {} bytes, more than 16777216, and is not written over in this visit: "
                      "*.0.xml to *.9.xml are taken"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.taken);
        fs::remove_all("airports/learned");
        for (int number = 0; number < c.taken; ++number)
            writeFile(lf_copy(number), "");
        writeFile(learned, big);
        const ino_t inode = lf_inode(learned);
        parking_percentage.value = 20;
        gf_clearStatusAndError();
        EXPECT_EQ(load(), "");
        const std::string line = fmt::format(fmt::runtime(c.line), learned, size);
        // the same file renamed, whole
        EXPECT_EQ((std::tuple{lf_inode(c.copy), readFile(c.copy) == big,
                              std::lround(g_parkStands.at(0).radius * 1852.0), parking_percentage.value.load(),
                              g_learnedFileHeld.load(), gf_statusLine().text}),
                  (std::tuple{inode, true, 5L, 20, c.taken == 10, line}));
        EXPECT_TRUE(folder.logHas("===> " + line));
        EXPECT_FALSE(folder.logHas("Read from learned airport file: '" + learned + "'"));
    }
}

// The bound's edge: a file of exactly 16 MiB is read, one of a byte more moved aside unread.
TEST_F(ParkApfTest, ALearnedFileOfExactly16MiBReadAndOneByteMoreNot)
{
    putArchive();
    // read, it changes A1's radius and the parking percentage; padded by a comment of spaces
    const std::string stand = lf_pp("A1", 0, "radius_change='true' radius='9'");
    const std::string parameters = "<parameter name='parking_percentage' value='55'/>";
    const std::size_t frame = apfText("<!---->" + stand, parameters).size();
    const struct { std::size_t bytes; bool read; } cases[] = {{16'777'216, true}, {16'777'217, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        fs::remove_all("airports/learned");
        const std::string text = apfText("<!--" + std::string(c.bytes - frame, ' ') + "-->" + stand, parameters);
        writeFile(learned, text);
        ASSERT_EQ(fs::file_size(learned), c.bytes);
        parking_percentage.value = 20;
        EXPECT_EQ(load(), "");
        EXPECT_EQ((std::tuple{std::lround(g_parkStands.at(0).radius * 1852.0), parking_percentage.value.load(),
                              fs::exists(learned), readFile(lf_copy(0)) == text}),
                  (std::tuple{c.read ? 9L : 5L, c.read ? 55 : 20, c.read, !c.read}));
    }
}

// A learned option is taken unless one of the same aircraft, day and kind shares a half hour with
// it, among the archived options and those taken before it, also from an earlier element.
TEST_F(ParkApfTest, LearnedOptionsOfAStandNamedTwiceTakenOnce)
{
    putArchive(); // A1: D-A DLH A320, day 1, half hours 11 and 12
    constexpr const char* opt = "<opt reg='{}' airl='{}' type='{}' day='{}' hh='{}' {}/>";
    const struct { const char *reg, *airl, *type; int day; const char *hh, *soft; bool taken; } options[] = {
        {"D-B", "DLH", "A320", 1, "5", "", true},
        {"D-B", "DLH", "A320", 1, "5,6", "", false}, // shares 5 with the element before
        {"D-B", "DLH", "A320", 2, "5", "", true},
        {"D-B", "DLH", "A320", 1, "5", "soft='true'", true},
        {"D-A", "DLH", "A320", 1, "12,13", "", false}, // shares 12 with the archived option
        {"D-A", "DLH", "A321", 1, "12", "", true},
        {"D-A", "EZY", "A320", 1, "12", "", true},
        {"D-A", "DLH", "A320", 1, "13", "", true},
        // other aircraft whose texts run together as the archived one's or the one before
        {"D-A", "DL", "HA320", 1, "12", "", true},
        {"D-AB", "C", "A320", 1, "20", "", true},
        {"D-A", "BC", "A320", 1, "20", "", true},
    };
    std::string second, expected = "D-A/DLH/A320/1/11,12/true ";
    for (const auto& o : options) {
        second += fmt::format(fmt::runtime(opt), o.reg, o.airl, o.type, o.day, o.hh, o.soft);
        if (o.taken)
            expected += fmt::format("{}/{}/{}/{}/{}/{} ", o.reg, o.airl, o.type, o.day, o.hh, o.soft[0] == '\0');
    }
    writeFile(learned, apfText(lf_pp("A1", 0, "", fmt::format(fmt::runtime(opt), "D-B", "DLH", "A320", 1, "5", "")) +
                               lf_pp("A1", 0, "", second.substr(second.find("/>") + 2))));
    EXPECT_EQ(load(), "");
    std::string merged;
    std::int32_t id = 0;
    for (const StandOption& o : g_parkStands.at(0).options) {
        merged += fmt::format("{}/{}/{}/{}/{}/{} ", o.reg, o.airl, o.type, o.day, gf_bitset2hours(o.hh), o.real == 1);
        EXPECT_EQ(o.optionId, ++id) << o.reg;
    }
    EXPECT_EQ(merged, expected);
}

// Merging a stand's options takes time in proportion to their number: 40,000 options of one
// stand load within 5 times 4,000 options of each of 10 stands (the fastest of three loads each).
TEST_F(ParkApfTest, FortyThousandOptionsOfOneStandMergedInLinearTime)
{
    putLocal(apfText(lf_row("S", 10, 0, 100), lf_alt + "<parameter name='publisher' value='Pub'/>"));
    std::string files[2];
    for (const int stands : {1, 10})
        for (int s = 0; s < stands; ++s) {
            files[stands == 10] += fmt::format("<parkpos id='S{}'>", s);
            for (int i = 0; i < 40000 / stands; ++i)
                files[stands == 10] += fmt::format("<opt reg='D-{}' airl='DLH' type='A320' day='1' hh='3'/>", i);
            files[stands == 10] += "</parkpos>";
        }
    std::chrono::duration<double> fastest[2] = {std::chrono::hours(1), std::chrono::hours(1)};
    for (int round = 0; round < 3; ++round)
        for (const int file : {0, 1}) {
            writeFile(learned, apfText(files[file]));
            const auto start = std::chrono::steady_clock::now();
            ASSERT_EQ(load(), "");
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            fastest[file] = std::min(fastest[file], took);
            ASSERT_EQ(g_parkStands.at(0).options.size(), file == 0 ? 40000u : 4000u);
        }
    EXPECT_LT(fastest[0].count(), 5.0 * fastest[1].count()) << fastest[1].count() << " s for 4,000 x 10";
}

TEST(LearnedMaxLive, SnappedToTheChoicesAtEveryBoundary)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0}, {1, 10}, {17, 10}, {18, 25}, {37, 25}, {38, 50},
        {62, 50}, {63, 75}, {87, 75}, {88, 100}, {299, 100}, {300, 500}, {-1, 500}, {INT32_MIN, 500}, {INT32_MAX, 500}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(gf_snapMaxLive(in), out) << in;
}

static Stand lf_stand(double metres, bool cargo = false, bool ramp = false, bool heli = false)
{
    return Stand("S", {}, StandPosition{50.0, 8.5, 0.0}, metres, !cargo, !ramp, !heli);
}

TEST(StandSizeFits, AtItsLimits)
{
    // wingspan and stand radius in metres; half the wingspan as the aircraft database gives it
    // 35.6: the 14 m step, 8 m too large (as a float, 17.8 took the 21 m step); 36: the 21 m step
    const std::tuple<double, double, bool> cases[] = {{35.6, 25.8, false}, {36.0, 26.0, true}, {42.0, 20.0, true},
        {43.6, 20.0, true}, {43.8, 20.0, false}, {26.2, 20.0, true}, {25.8, 20.0, false}};
    for (const auto& [wingspan, radius, fits] : cases)
        EXPECT_EQ(gf_standSizeFits(lf_stand(radius), wingspan * 0.5 * (1.0 / 1852.0)), fits) << wingspan;
    EXPECT_THROW(gf_standSizeFits(lf_stand(1e300), 0.0), gsl::narrowing_error);
}

TEST_F(AirportsTest, MadeUpAircraftBySeededDraws)
{
    testsupport::ManualTime time{1704622500}; // Sunday 7 January 2024, 10:15 UTC
    for (const auto& [type, metres] : {std::pair{"B77W", 32.0}, {"B739", 25.0}, {"BCS3", 5.0}, {"A320", 5.0},
                                       {"B78X", 30.0}, {"E75L", 5.0}, {"B738", 17.9}, {"B737", 17.2}})
        g_dbase.halfWingspans[type] = metres / 1852.0;
    std::vector<Stand> stands{lf_stand(9, true, false, true), lf_stand(60, false, true), lf_stand(20),
                              lf_stand(3, false, false, true)};
    stands[3].options = {StandOption{}, StandOption{"", "", "", "", "", {}, 4}};
    gf_fillFakeAircraft("KJFK", stands);
    const StandOption& heli = stands[0].options.at(0);
    EXPECT_EQ((std::tuple{heli.airl, heli.type, heli.cs, heli.reg, heli.cs2, heli.day, heli.hh.to_ullong(),
                          heli.optionId, heli.fromApf, heli.real}),
              (std::tuple{"PVT", "EC35", "FAKE1", "REGFAKE1", "", 7, 1ull << 20, 1, 1u, 0}));
    EXPECT_TRUE(stands[1].options.empty()); // a ramp too large for every GA type: the number stays
    EXPECT_EQ((std::tuple{stands[2].options.at(0).cs, stands[3].options.at(2).cs, stands[3].options[2].optionId}),
              (std::tuple{"FAKE2", "FAKE3", 5}));
    std::set<std::string> drawn[2];
    for (unsigned seed = 1; seed <= 40; ++seed)
        for (const char* code : {"KJFK", "LFPG"}) {
            gf_randomGenerator().seed(seed);
            std::vector<Stand> one{lf_stand(20)};
            gf_fillFakeAircraft(code, one);
            drawn[code[0] == 'L'].insert(one[0].options.at(0).airl + " " + one[0].options[0].type);
        }
    // a stand of a size no fit can count (a damaged file's radius) gets no made-up aircraft
    std::vector<Stand> huge{lf_stand(2e96), lf_stand(20)};
    gf_fillFakeAircraft("EDDF", huge);
    EXPECT_TRUE(huge[0].options.empty());
    EXPECT_EQ(huge[1].options.at(0).cs, "FAKE1"); // the stands after it are filled, the number stays
    EXPECT_EQ(drawn[0], (std::set<std::string>{"AAL B738", "SWA B737", "UAL B738"}));
    EXPECT_EQ(drawn[1], std::set<std::string>{"ZZZ B738"});
}
