// The BGL reader's reads: the blocks it holds, the order in which it walks a file's sections, and
// the reads a walk or the pre-check may make, counted in bytes read and read calls.
#include "airports/bgl_words.h"
#include "bgl_fixture.h"
#include "foundation/shell_state.h"
#include "support/bgl_writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

using namespace airportstest;
using namespace bglwriter;

namespace {

constexpr std::uint32_t g_block = 32768;

// The file with its section table in the given order of the sections, whose records stay where
// they are.
std::string lf_tableInOrder(std::string bytes, const std::vector<std::size_t>& order)
{
    const std::string table = bytes.substr(56, 20 * order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        bytes.replace(56 + 20 * i, 20, table, 20 * order[i], 20);
    return bytes;
}

// Sections of one airport each, K000, K001, ...: `stands` stands, and at every 40th airport one
// more entry skipped for its radius.
std::string lf_airportSections(std::size_t count, std::uint32_t stands)
{
    std::vector<Section> sections;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<Parking> list;
        for (std::uint32_t k = 0; k < stands; ++k)
            list.push_back({.number = k, .lon = lonRaw(4.7 + i * 1e-3 + k * 1e-5)});
        if (i % 40 == 0)
            list.push_back({.number = stands, .radius = 1.0F});
        sections.push_back({airport(identWord(fmt::format("K{:03}", i)), parkingList(list))});
    }
    return file(sections);
}

// The airports handed on with their stands' names and positions, and the report.
std::string lf_handedOn(const std::vector<ApfParameters>& airports)
{
    std::string text;
    for (const ApfParameters& a : airports) {
        text += a.code + ":";
        for (const Stand& s : a.stands)
            text += fmt::format(" {} {:.6f},{:.6f}", s.name, s.latitude, s.longitude);
        text += "\n";
    }
    return text + fmt::format("{}", fmt::join(g_scanReport.lines(), "\n"));
}

// Blocks asked for in turn, and the reads they take when the block used longest ago makes room.
TEST(BglWordsTest, TheBlockUsedLongestAgoMakesRoom)
{
    const std::string bytes(20 * std::size_t{g_block}, '\0');
    const auto lt_range = [](std::size_t from, std::size_t to) {
        std::vector<std::size_t> blocks;
        for (std::size_t b = from; b <= to; ++b)
            blocks.push_back(b);
        return blocks;
    };
    std::vector<std::size_t> backToTheFirst;
    for (std::size_t b = 1; b < 20; ++b)
        backToTheFirst.insert(backToTheFirst.end(), {0, b});
    const auto lt_join = [](std::vector<std::size_t> a, const std::vector<std::size_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const struct { const char* name; std::vector<std::size_t> blocks; std::uint64_t reads; } cases[] = {
        {"twenty in turn", lt_range(0, 19), 20},
        {"back to the first between each of the others", backToTheFirst, 20},
        {"eight there and back", lt_join(lt_range(0, 7), {6, 5, 4, 3, 2, 1, 0}), 8},
        {"nine in turn, twice", lt_join(lt_range(0, 8), lt_range(0, 8)), 18},
        {"eight, then two new with the first between them, then the second",
         lt_join(lt_range(0, 7), {0, 8, 0, 9, 0, 1}), 11},
    };
    for (const auto& c : cases) {
        BglWords words{std::string_view(bytes)};
        for (const std::size_t block : c.blocks)
            words.at(block * BglWords::blockWords + 5);
        EXPECT_EQ(words.bytesRead(), c.reads * g_block) << c.name;
    }
}

// A file within the blocks held: each block read once, whatever the order of its sections.
TEST_F(BglTest, AWalkWithinTheBlocksHeldReadsEachBlockOnce)
{
    const std::string data = lf_airportSections(200, 20);
    ASSERT_TRUE(data.size() > 7 * g_block && data.size() <= 8 * g_block) << data.size();
    std::vector<std::size_t> shuffled(200);
    std::iota(shuffled.begin(), shuffled.end(), 0);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(51));
    for (const std::string& bytes : {data, lf_tableInOrder(data, shuffled)}) {
        EXPECT_EQ(read(bytes).size(), 200 * std::string("K000:20:0 ").size());
        EXPECT_EQ(bytesRead, bytes.size());
    }
}

// A file of more than the blocks held, of 400 airport sections: read whole in any order of its
// section table, as in the order of their records, with at most four times the file's bytes.
TEST_F(BglTest, SectionsInAnyOrderOfTheTableAreReadWhole)
{
    constexpr std::size_t count = 400;
    const std::string data = lf_airportSections(count, 13);
    ASSERT_GT(data.size(), 10 * g_block);
    std::string expected;
    for (std::size_t i = 0; i < count; ++i)
        expected += fmt::format("K{:03}:13:0 ", i);
    std::vector<std::size_t> reversed(count), interleaved(count), shuffled(count);
    for (std::size_t i = 0; i < count; ++i) {
        reversed[i] = count - 1 - i;
        interleaved[i] = i % 2 == 0 ? i / 2 : count / 2 + i / 2;
    }
    std::iota(shuffled.begin(), shuffled.end(), 0);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(51));
    EXPECT_EQ(read(data), expected);
    EXPECT_EQ(g_scanReport.size(), count + 5 + 1); // "... has 13 parkpos ...", five of ten radius lines and their count
    const std::string handedOn = lf_handedOn(airports);
    const struct { const char* name; std::vector<std::size_t> order; } orders[] = {
        {"reversed", reversed}, {"interleaved", interleaved}, {"shuffled", shuffled}};
    for (const auto& [name, order] : orders) {
        g_scanReport.clear();
        const std::string bytes = lf_tableInOrder(data, order);
        ASSERT_NE(bytes, data) << name;
        const bool whole = read(bytes) == expected; // the texts are long: a count says enough
        EXPECT_TRUE(whole) << name << ": " << airports.size() << " airports";
        EXPECT_TRUE(lf_handedOn(airports) == handedOn) << name;
        EXPECT_LE(bytesRead, 4 * bytes.size()) << name;
    }
}

// A section whose subsection table gives its first record at a word beyond the file ends the file
// after the sections inside it, also when that word lies just past the end; one that gives a first
// record at or past the file's end names no records. The file: EHAM with a stand, a record that
// ends its section, BBBB at byte 252, then the second section's table cut after its first record
// at byte 328, the file's last word.
TEST_F(BglTest, ASubsectionTableBeyondTheFileEndsItAfterTheSectionsInside)
{
    const auto lt_file = [](std::uint32_t table, std::uint32_t first) {
        return bytes(56, {{4, 56}, {20, 2}}) + sectionEntry(96) + sectionEntry(table) + bytes(16, {{8, 112}}) +
               airport(identWord("EHAM"), parkingList({{}})) + record(0x99, 8, {}, 0) + airport(identWord("BBBB")) +
               bytes(12, {{8, first}});
    };
    const struct { const char* name; std::string bytes; const char* airports; const char* stop; } cases[] = {
        {"the first record's word the file's last", lt_file(320, 252), "EHAM:1 BBBB:0 ", ""},
        {"that word just past the end", lt_file(320, 252).substr(0, 328), "EHAM:1 ",
         "328: word 82 beyond the end of the file (82 words)"},
        {"that word far past the end", lt_file(1'000'000, 252), "EHAM:1 ",
         "1000008: word 250002 beyond the end of the file (83 words)"},
        {"that word far past, listed first", lf_tableInOrder(lt_file(1'000'000, 252), {1, 0}), "EHAM:1 ",
         "1000008: word 250002 beyond the end of the file (83 words)"},
        {"the first record at the file's end", lt_file(320, 332), "EHAM:1 ", ""},
        {"the first record far past the end", lt_file(320, 4'000'000), "EHAM:1 ", ""},
    };
    for (const auto& c : cases) {
        g_scanReport.clear();
        bool thrown = false;
        try {
            read(c.bytes);
        } catch (const std::out_of_range&) {
            thrown = true;
        }
        std::string handedOn;
        for (const ApfParameters& a : airports)
            handedOn += fmt::format("{}:{} ", a.code, a.stands.size());
        EXPECT_EQ(handedOn, c.airports) << c.name;
        const std::string stop = *c.stop == '\0' ? "" : std::string("===> Reading x.bgl stopped at byte ") + c.stop;
        EXPECT_EQ(thrown, !stop.empty()) << c.name;
        std::vector<std::string> stops;
        std::ranges::copy_if(g_scanReport.lines(), std::back_inserter(stops),
                             [](const std::string& line) { return line.starts_with("===> Reading "); });
        EXPECT_EQ(stops, stop.empty() ? std::vector<std::string>{} : std::vector<std::string>{stop}) << c.name;
    }
}

// A 1 GiB file (sparse) with an airport section at its start and one at its end is read where it
// is walked: its header and table, the two sections, nothing between them.
TEST_F(BglTest, AFileIsReadWhereItIsWalked)
{
    constexpr std::uint32_t fileBytes = 1U << 30;
    constexpr std::uint32_t far = fileBytes - 4096;
    const std::string list = parkingList({{}});
    {
        std::ofstream out("big.bgl", std::ios::binary);
        out << bytes(56, {{4, 56}, {20, 2}}) + sectionEntry(96) + sectionEntry(far) + bytes(16, {{8, 112}}) +
                   airport(identWord("AAAA"), list);
        out.seekp(far);
        out << bytes(16, {{8, far + 16}}) + airport(identWord("BBBB"), list);
        out.seekp(fileBytes - 1);
        out.put('\0');
    }
    ASSERT_EQ(fs::file_size("big.bgl"), fileBytes);
    const auto [airports, read] = readFromFile("big.bgl");
    EXPECT_EQ(airports, "AAAA:1 BBBB:1 ");
    EXPECT_LT(read, 1U << 20); // well below the file's size
}

// Sections whose records each lead on a block, over nine blocks and between the records of the
// others, so that each section's walk reads the nine blocks again: the walk gives up once it has
// read a few times the file's size.
TEST_F(BglTest, AWalkGivesUpPastItsReads)
{
    constexpr std::uint32_t entries = 2000;
    constexpr std::uint32_t subsections = 56 + 20 * entries;
    constexpr std::uint32_t data = 3 * g_block; // past the subsection tables
    std::string b = bytes(56, {{4, 56}, {20, entries}});
    for (std::uint32_t i = 0; i < entries; ++i)
        b += sectionEntry(subsections + 16 * i);
    for (std::uint32_t i = 0; i < entries; ++i)
        b += bytes(16, {{8, data + 8 * i}});
    b.resize(data + 9 * g_block, '\0');
    for (std::uint32_t k = 0; k < 9; ++k)
        for (std::uint32_t i = 0; i < entries; ++i) // the last block's records end their sections
            b.replace(data + k * g_block + 8 * i, 8, record(0x99, 8, {}, k < 8 ? g_block : 0));
    writeFile("jumps.bgl", b);
    const std::uint64_t limit = 4 * b.size() + 8 * g_block;
    const auto [airports, read] = readFromFile("jumps.bgl");
    EXPECT_TRUE(read > limit && read < limit + 4 * g_block) << read; // not 2,000 x 9 blocks
    const std::vector<std::string> lines = g_scanReport.lines();
    EXPECT_TRUE(lines.size() == 1 && lines[0].starts_with("===> Reading jumps.bgl stopped at byte ") &&
                lines[0].find(": given up after reading ") != std::string::npos)
        << fmt::format("{}", fmt::join(lines, "\n"));
}

// A table of 1,000,000 entries whose airport section comes last: read a block at a time, and not
// past the first block when a stop was asked for.
TEST_F(BglTest, ThePreCheckReadsTheTableABlockAtATime)
{
    constexpr std::uint32_t entries = 1'000'000;
    std::string b = bytes(56, {{4, 56}, {20, entries}});
    b.reserve(56 + 20 * entries + 4);
    const std::string other = bytes(20, {{0, 0x65}});
    for (std::uint32_t i = 1; i < entries; ++i)
        b += other;
    b += sectionEntry(0) + bytes(4, {});
    writeFile("table.bgl", b);
    // the reads of the pre-check, less those of a look at the count
    const auto lt_reads = [](const std::string& what, const std::function<void()>& call) {
        const std::uint64_t first = processInput(what);
        const std::uint64_t look = processInput(what) - first;
        call();
        return processInput(what) - first - 2 * look;
    };
    EXPECT_LE(lt_reads("syscr:", [] { EXPECT_TRUE(gf_bglHasAirportSection("table.bgl")); }),
              20 * entries / g_block + 3);
    g_stop = true;
    EXPECT_LE(lt_reads("rchar:", [] { EXPECT_FALSE(gf_bglHasAirportSection("table.bgl")); }), g_block);
}

} // namespace
