#include "airports/bgl_reader.h"

#include "airports/airport.h"
#include "airports/bgl_words.h"
#include "airports/scan_report.h"
#include "airports/stand_limit.h"
#include "foundation/geometry.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/shell_state.h"

#include <algorithm>
#include <array>
#include <bit>
#include <bitset>
#include <cmath>
#include <fmt/format.h>
#include <gsl/narrow>
#include <map>
#include <mutex>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <memory_resource>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

static_assert(std::endian::native == std::endian::little, "BGL words are taken as they lie in memory");

namespace {

constexpr std::uint32_t g_bglHeaderSize = 56;
constexpr std::size_t g_headerWords = 14;
constexpr std::size_t g_minFileWords = 15;
constexpr std::uint64_t g_sectionEntryBytes = 20;
constexpr std::size_t g_sectionEntryWords = 5;
constexpr std::uint32_t g_airportSectionType = 3;
constexpr std::uint16_t g_airportId = 0x56;
constexpr std::uint16_t g_undecodedAirportId = 0x113;
constexpr std::uint16_t g_helipadId = 0x26;
constexpr std::uint16_t g_taxiwayParkingId = 0xE7;
constexpr std::size_t g_subrecordsWord = 17; // byte +68 of an airport record
constexpr int g_maxSubrecordRounds = 5000;
constexpr std::size_t g_parkingEntryWords = 14; // 56 bytes before the airline codes
constexpr std::string_view g_duplicateSuffixes = "abcdefghij";
constexpr float g_minRadius = 1.0F; // metres, both bounds exclusive
constexpr float g_maxRadius = 200.0F;
// steps of a walk between two looks at the stop request
constexpr std::size_t g_stopCheckSteps = 4096;
// the bytes a walk may read, as a multiple of the file's size (besides the blocks held): a
// well-formed file's walk reads its blocks about three times, once for the section table, once for
// the subsection tables and once for the records
constexpr std::uint64_t g_readsPerByte = 4;
// the scan report's lines of one kind per file; the lines beyond are counted
constexpr std::uint64_t g_linesPerKind = 5;
static_assert(static_cast<std::size_t>(g_maxSubrecordRounds) <= g_maxAirportStands, "the helipads of an airport stay within the limit");

std::mutex g_handoffMutex;
BglHandoff g_handoff;

// The kinds of the reader's report and log lines that a file may give many of, and the text that
// names each in the line that counts those left out. The kinds from firstLogKind on go to the log.
enum class LineKind {
    radius, position, heading, duplicate, helipadPosition, helipadWidth, doubleHelipad, stop,
    listRefused, loopLimit, beyondBuffer, zeroSubrecord, zeroRecord, count
};
constexpr auto g_firstLogKind = static_cast<std::size_t>(LineKind::listRefused);
constexpr std::array<std::string_view, static_cast<std::size_t>(LineKind::count)> g_lineKindTexts{
    "Skipped position with radius",        "LatLon ... invalid (skipped)", "Skipped position ... with heading",
    "Warning: more than 10 duplicate IDs", "lat/lon helipad incorrect",    "Skipped helipad with width",
    "double helipad",                      "Reading ... stopped at byte",  "Error: parking list of",
    "Error: Maximum loop iterations",      "Error: o3=... exceeded",       "decodeSizeAtBoundary returned 0 at o3",
    "decodeSizeAtBoundary returned 0 at o2"};

// The walk of a file ends early: on a stop request, or past the steps or reads a well-formed file
// takes (what was passed, for the report).
struct WalkGivenUp {
    bool stopped;
    std::string passed;
};

// One file: its words as the walk reaches them, the words at which a record was read (a bit per
// word of the blocks walked), and where the airports go.
struct BglFile {
    BglFile(const std::string& filePath, const BglHandoff& fileHandoff, BglWords& fileWords)
        : path(filePath), handoff(fileHandoff), words(fileWords), size(fileWords.size()),
          readLimit(g_readsPerByte * fileWords.bytes() + BglWords::heldBlocks * BglWords::blockWords * 4)
    {
    }

    const std::string& path;
    const BglHandoff& handoff;
    BglWords& words;
    const std::size_t size;
    const std::uint64_t readLimit;
    std::unordered_map<std::size_t, std::bitset<BglWords::blockWords>> walked;
    std::bitset<BglWords::blockWords>* walkedHere = nullptr; // the last block's (the map's nodes stay)
    std::size_t walkedHereBlock = 0;
    std::size_t steps = 0;
    std::size_t stepped = 0; // the word of the record or entry stepped on last
    std::optional<PublisherInfo> publisher; // found at the first airport linked
    std::array<std::uint64_t, g_lineKindTexts.size()> lines{}; // the report lines of each kind so far

    // Counts a report line of the kind; true when it is to be written.
    bool reportable(LineKind kind) { return ++lines[static_cast<std::size_t>(kind)] <= g_linesPerKind; }

    // Marks the record at a word inside the file as read; false when it was read already.
    bool firstVisit(std::size_t index)
    {
        if (walkedHere == nullptr || index / BglWords::blockWords != walkedHereBlock) {
            walkedHereBlock = index / BglWords::blockWords;
            walkedHere = &walked[walkedHereBlock];
        }
        const std::size_t bit = index % BglWords::blockWords;
        if (walkedHere->test(bit))
            return false;
        walkedHere->set(bit);
        return true;
    }
    // One record, subrecord, parking entry or section entry more. In a well-formed file each lies
    // at words of its own, so no walk takes more steps than the file has words; and no more reads
    // than a few times its bytes.
    void step(std::size_t index)
    {
        stepped = index;
        if (++steps > size)
            throw WalkGivenUp{false, fmt::format("{} steps", size)};
        if (words.bytesRead() > readLimit)
            throw WalkGivenUp{false, fmt::format("reading {} bytes", words.bytesRead())};
        if (steps % g_stopCheckSteps == 0)
            giveUpOnStop();
    }
    static void giveUpOnStop()
    {
        if (gf_stopRequested())
            throw WalkGivenUp{true, {}};
    }
    std::uint32_t at(std::size_t index) { return words.at(index); }
    std::uint16_t id(std::size_t index) { return static_cast<std::uint16_t>(at(index)); }
    // the u32 at byte +2 of a record: two halves of two words
    std::uint32_t recordSize(std::size_t index) { return (at(index) >> 16) | (at(index + 1) << 16); }
    float f32(std::size_t index) { return std::bit_cast<float>(at(index)); }
    // longitude and latitude from two consecutive words
    LatLon position(std::size_t lonIndex)
    {
        return {90.0 - at(lonIndex + 1) * 3.3527612686157227e-7, at(lonIndex) * 4.470348358154297e-7 - 180.0};
    }
};

// What is collected while one airport record is read.
struct AirportState {
    ApfParameters params;
    std::array<std::byte, 16384> room; // the name set's first nodes, without a heap call each
    std::pmr::monotonic_buffer_resource arena{room.data(), room.size()};
    std::pmr::unordered_set<std::pmr::string> names{&arena}; // stand names used so far
    std::int32_t nextHelipad = 1;
    std::vector<LatLon> helipads; // positions taken
};

bool lf_validPosition(const LatLon& p)
{
    return p.lat >= -90.0 && p.lat <= 90.0 && p.lon >= -180.0 && p.lon <= 180.0 &&
           !(std::abs(p.lat) <= 0.0001 && std::abs(p.lon) <= 0.0001);
}

std::string lf_positionText(const LatLon& p) { return fmt::format("{:.6f},{:.6f}", p.lat, p.lon); }

// The packed ident: word >> 5 in base 38, most significant digit first; valid with exactly four
// characters and no blank.
std::pair<std::string, bool> lf_decodeIdentifierOrRegionCode(std::uint32_t word)
{
    try {
        std::string text;
        for (std::uint32_t value = word >> 5; value != 0; value /= 38) {
            const std::uint32_t digit = value % 38;
            const bool numeral = digit >= 2 && digit <= 11; // "0" to "9"
            text.insert(text.begin(), digit == 0 ? ' ' : static_cast<char>(numeral ? digit + 46 : digit + 53));
        }
        return {text, text.size() == 4 && text.find(' ') == std::string::npos};
    } catch (const std::exception&) {
        gf_log(fmt::format("! Exception in {}", "lf_decodeIdentifierOrRegionCode"));
        return {"", false};
    }
}

std::string lf_parkingNamePrefix(std::uint32_t code)
{
    static constexpr const char* g_prefixes[] = {"", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g", ""};
    if (code < std::size(g_prefixes))
        return g_prefixes[code];
    return std::string(1, static_cast<char>(code + 53));
}

// Feet from the millimetres at +20; 0 outside -20 .. 10000 ft.
std::int32_t lf_readAirportAltitude(std::size_t record, BglFile& file)
{
    const auto feet = gsl::narrow<std::int32_t>(std::llround(file.at(record + 5) * 3.2808399 / 1000.0));
    return feet >= -20 && feet <= 10000 ? feet : 0;
}

// The name, or the name with the first free suffix of "abcdefghij"; empty when all are taken.
std::string lf_uniqueName(AirportState& airport, const std::string& name)
{
    std::pmr::string candidate(name, &airport.arena);
    if (airport.names.insert(candidate).second)
        return name;
    for (const char suffix : g_duplicateSuffixes) {
        candidate.resize(name.size());
        candidate += suffix;
        if (airport.names.insert(candidate).second)
            return std::string(candidate);
    }
    return {};
}

void lf_readTaxiwayParking(std::size_t record, BglFile& file, AirportState& airport)
{
    const std::uint32_t count = file.at(record + 1) >> 16;
    if (airport.params.stands.size() + count > g_maxAirportStands) {
        if (file.reportable(LineKind::listRefused))
            gf_log(fmt::format("   Error: parking list of {} positions at {} refused, an airport has at most {} in {}",
                               count, airport.params.code, g_maxAirportStands, file.path));
        return;
    }
    std::size_t entry = record + 2;
    // room for the entries the file can hold
    const std::size_t fit = file.size > entry ? (file.size - entry) / g_parkingEntryWords : 0;
    const std::size_t room = std::min<std::size_t>(count, fit);
    airport.params.stands.reserve(airport.params.stands.size() + room);
    airport.names.reserve(airport.names.size() + room);
    for (std::uint32_t i = 0; i < count; ++i) {
        file.step(entry);
        const std::uint32_t bits = file.at(entry);
        const std::size_t here = std::exchange(entry, entry + g_parkingEntryWords + (bits >> 24));
        const float radius = file.f32(here + 1);
        if (!(radius > g_minRadius && radius < g_maxRadius)) { // NaN is out of range too
            if (file.reportable(LineKind::radius))
                gf_addScanReportLine(fmt::format("Skipped position with radius {:.1F} m in {}", radius, file.path));
            continue;
        }
        const std::string name = lf_parkingNamePrefix(bits & 0x3F) + fmt::format_int((bits >> 12) & 0xFFF).c_str();
        const std::uint32_t type = (bits >> 8) & 0xF;
        if (type == 0 || type == 12 || type == 13)
            continue;
        const LatLon position = file.position(here + 7);
        if (!lf_validPosition(position)) {
            if (file.reportable(LineKind::position))
                gf_addScanReportLine(fmt::format("LatLon {} invalid (skipped)", lf_positionText(position)));
            continue;
        }
        const float degrees = file.f32(here + 2);
        if (!std::isfinite(degrees)) {
            if (file.reportable(LineKind::heading))
                gf_addScanReportLine(
                    fmt::format("Skipped position {} with heading {} in {}", name, degrees, file.path));
            continue;
        }
        const std::string unique = lf_uniqueName(airport, name);
        if (unique.empty()) {
            if (file.reportable(LineKind::duplicate))
                gf_addScanReportLine(
                    fmt::format("{}Warning: more than 10 duplicate IDs {} in {}", "===> ", name, file.path));
            continue;
        }
        const double heading = degrees == 0.0F ? 2.0 * std::numbers::pi : degrees * (std::numbers::pi / 180.0);
        airport.params.stands.emplace_back(unique, std::vector<StandOption>{},
                                           StandPosition{position.lat, position.lon, heading}, radius, type != 5,
                                           !((type >= 1 && type <= 7) || type == 14), true);
    }
}

void lf_readHelipad(std::size_t record, BglFile& file, AirportState& airport)
{
    const LatLon position = file.position(record + 3);
    if (!lf_validPosition(position)) {
        if (file.reportable(LineKind::helipadPosition))
            gf_addScanReportLine("lat/lon helipad incorrect (skipped): " + lf_positionText(position));
        return;
    }
    const float width = file.f32(record + 7);
    if (!std::isfinite(width) || std::signbit(width)) {
        if (file.reportable(LineKind::helipadWidth))
            gf_addScanReportLine(fmt::format("Skipped helipad with width {:.1F} m in {}", width, file.path));
        return;
    }
    for (const LatLon& taken : airport.helipads) {
        if (std::abs(taken.lat - position.lat) < 1e-8 && std::abs(taken.lon - position.lon) < 1e-8) {
            if (file.reportable(LineKind::doubleHelipad))
                gf_addScanReportLine("double helipad " + airport.params.airport_name + " (skipped) " +
                                     lf_positionText(position));
            return;
        }
    }
    airport.helipads.push_back(position);
    airport.params.stands.emplace_back(fmt::format("helipad{}", airport.nextHelipad++), std::vector<StandOption>{},
                                       StandPosition{position.lat, position.lon, 0.0}, width / 2.0, true, true, false);
}

// The scan report's line for a walk that ends before its section or airport does: where and why.
void lf_reportStop(BglFile& file, std::size_t word, const std::string& why)
{
    if (file.reportable(LineKind::stop))
        gf_addScanReportLine(fmt::format("{}Reading {} stopped at byte {}: {}", "===> ", file.path,
                                         static_cast<std::uint64_t>(word) * 4, why));
}

// One line for each kind of which the file gave more lines than were written: how many were left
// out, in the report or the log as the kind's lines.
void lf_reportLeftOut(const BglFile& file)
{
    for (std::size_t kind = 0; kind < file.lines.size(); ++kind) {
        if (file.lines[kind] <= g_linesPerKind)
            continue;
        const std::string line = fmt::format("{}{} more lines \"{}\" left out for {}", "===> ",
                                             file.lines[kind] - g_linesPerKind, g_lineKindTexts[kind], file.path);
        kind < g_firstLogKind ? gf_addScanReportLine(line) : gf_log(line);
    }
}

// Helipads and the first taxiway parking list, up to the record's end or the first bad subrecord.
void lf_readSubrecords(std::size_t record, std::size_t recordWords, BglFile& file, AirportState& airport)
{
    const std::size_t end = record + recordWords;
    const std::string& code = airport.params.code;
    int rounds = 0;
    for (std::size_t sub = record + g_subrecordsWord; sub < end;) {
        if (++rounds > g_maxSubrecordRounds) {
            if (file.reportable(LineKind::loopLimit))
                gf_log(std::string("   Error: Maximum loop iterations reached ") + "\u2014" +
                       " possible corrupt SIA or malformed input.");
            lf_reportStop(file, sub,
                          fmt::format("more than {} subrecords in the airport {}", g_maxSubrecordRounds, code));
            return;
        }
        if (sub >= file.size) {
            if (file.reportable(LineKind::beyondBuffer))
                gf_log(fmt::format("   Error: o3={} exceeded data buffer size ({}), aborting.", sub, file.size));
            lf_reportStop(file, sub,
                          fmt::format("the airport {} runs on beyond the end of the file ({} bytes)", code,
                                      file.words.bytes()));
            return;
        }
        if (!file.firstVisit(sub))
            return; // read already, as a subrecord of another airport
        file.step(sub);
        const std::uint16_t id = file.id(sub);
        if (id == g_taxiwayParkingId) {
            lf_readTaxiwayParking(sub, file, airport);
            return; // a second list is not read
        }
        if (id == g_helipadId)
            lf_readHelipad(sub, file, airport);
        const std::uint32_t size = file.recordSize(sub);
        if (size < 4) {
            const std::string line = fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", sub);
            if (file.reportable(LineKind::zeroSubrecord))
                id == g_helipadId ? gf_logError(line) : gf_log(line);
        }
        if (size % 4 != 0) // the next subrecord would not start on a word
            lf_reportStop(file, sub,
                          fmt::format("a subrecord of {} bytes in the airport {}, not a multiple of 4", size, code));
        if (size < 4 || size % 4 != 0)
            return;
        sub += size / 4;
    }
}

void lf_processAirportRecord(std::size_t record, BglFile& file, std::size_t recordWords, const std::string& code)
{
    BglFile::giveUpOnStop();
    AirportState airport;
    ApfParameters& params = airport.params;
    params.code = code;
    params.BGLpath = file.path;
    params.publisher = "unknown";
    std::int32_t archived = 0;
    bool linked = false;
    if (file.handoff.linkArchivedAirport) {
        if (!file.publisher)
            file.publisher = file.handoff.findPublisher ? file.handoff.findPublisher(file.path) : PublisherInfo{};
        linked = file.handoff.linkArchivedAirport(params, archived, *file.publisher);
    }
    if (linked && !g_msfs2020Mode.load())
        return;
    params.altitude = lf_readAirportAltitude(record, file);
    if (const auto it = g_airportNames.find(code); it != g_airportNames.end())
        params.airport_name = it->second;
    lf_readSubrecords(record, recordWords, file, airport);

    const auto stands = static_cast<std::int64_t>(params.stands.size());
    const bool simAddon = params.publisher == "simaddon";
    if (stands > archived && !simAddon)
        gf_addScanReportLine(
            fmt::format("{}{} has {} parkpos while archived one has {}", "===> ", code, stands, archived));
    if (linked && (stands <= archived || simAddon))
        return;
    BglFile::giveUpOnStop();
    if (file.handoff.generateAirportFile)
        file.handoff.generateAirportFile(params);
}

// The records of one airport section, from its first record to a size of 0, one that is no
// multiple of 4 (reported: the next record would not start on a word), a record read already (the
// walk of an earlier section ran on over it) or the end of the file. False when the file ends here
// (an undecoded airport in the 2024 simulator's files).
bool lf_walkSection(std::size_t record, BglFile& file)
{
    while (record < file.size && file.firstVisit(record)) {
        file.step(record);
        const std::uint16_t id = file.id(record);
        if (id == g_undecodedAirportId && !g_msfs2020Mode.load()) {
            if (file.handoff.handleUnrecognisedAirport)
                file.handoff.handleUnrecognisedAirport(file.path);
            return false;
        }
        const std::uint32_t size = file.recordSize(record);
        if (id == g_airportId && size / 4 == 0) {
            if (file.reportable(LineKind::zeroRecord))
                gf_logError(fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o2 = {}", record));
        } else if (id == g_airportId) {
            if (const auto [code, valid] = lf_decodeIdentifierOrRegionCode(file.at(record + 10)); valid)
                lf_processAirportRecord(record, file, size / 4, code);
        }
        if (size % 4 != 0) {
            lf_reportStop(file, record, fmt::format("a record of {} bytes, not a multiple of 4", size));
            return true;
        }
        if (size == 0)
            return true;
        record += size / 4;
    }
    return true;
}

// A bit for each of some words of a file, kept for the blocks that hold one, and visited in the
// words' order.
class WordMarks {
public:
    void set(std::size_t index)
    {
        const std::size_t bit = index % BglWords::blockWords;
        m_blocks[index / BglWords::blockWords][bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    // Calls visit(index) for each word marked, lowest first, until it returns false.
    template <typename Visit>
    void visit(Visit&& visit) const
    {
        for (const auto& [block, bits] : m_blocks)
            for (std::size_t i = 0; i < bits.size(); ++i)
                for (std::uint64_t rest = bits[i]; rest != 0; rest &= rest - 1)
                    if (!visit(block * BglWords::blockWords + i * 64 + std::countr_zero(rest)))
                        return;
    }

private:
    std::map<std::size_t, std::array<std::uint64_t, BglWords::blockWords / 64>> m_blocks;
};

// The airport sections in the order in which their records lie in the file, whatever the order of
// the table, so that the walk moves through the file once: the table's entries mark the words
// where their subsection tables give the first record, those words mark the first records, and
// the records are walked from there. Entries beyond what the file can hold are not read, and
// neither are those whose subsection table or records would lie in the header or the table. A
// subsection table beyond the file ends the file after the sections that lie inside it.
void lf_walkSections(BglFile& file)
{
    const std::size_t sections =
        std::min<std::size_t>(file.at(5), (file.size - g_headerWords) / g_sectionEntryWords);
    const std::size_t tableEnd = g_headerWords + g_sectionEntryWords * sections;
    std::optional<std::size_t> beyond; // the first word of a subsection table beyond the file
    WordMarks firstRecordWords;
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t entry = g_headerWords + g_sectionEntryWords * i;
        file.step(entry);
        if (file.at(entry) != g_airportSectionType || ((file.at(entry + 1) & 0x10000) | 0x40000) != 0x40000)
            continue;
        const std::size_t subsections = file.at(entry + 3) / 4;
        if (subsections < tableEnd)
            continue;
        if (subsections + 2 < file.size)
            firstRecordWords.set(subsections + 2);
        else if (!beyond)
            beyond = subsections + 2;
    }
    WordMarks firstRecords;
    firstRecordWords.visit([&file, &firstRecords, tableEnd](std::size_t word) {
        file.step(word);
        if (const std::size_t first = file.at(word) / 4; first >= tableEnd && first < file.size)
            firstRecords.set(first);
        return true;
    });
    firstRecordWords = {};
    bool whole = true;
    firstRecords.visit([&file, &whole](std::size_t first) { return whole = lf_walkSection(first, file); });
    if (beyond && whole) {
        file.step(*beyond);
        file.at(*beyond); // raises
    }
}

void lf_readAirports(BglFile& file)
{
    if (file.at(1) != g_bglHeaderSize || file.size < g_minFileWords)
        return;
    try {
        try {
            lf_walkSections(file);
        } catch (const WalkGivenUp& end) {
            if (!end.stopped)
                lf_reportStop(file, file.stepped, fmt::format("given up after {}, a malformed file", end.passed));
        } catch (const std::out_of_range& e) { // a record or entry that claims more than the file holds
            lf_reportStop(file, file.stepped, e.what());
            throw;
        }
    } catch (...) {
        lf_reportLeftOut(file);
        throw;
    }
    lf_reportLeftOut(file);
}

} // namespace

void gf_setBglHandoff(BglHandoff handoff)
{
    std::lock_guard lock(g_handoffMutex);
    g_handoff = std::move(handoff);
}

bool gf_bglHasAirportSection(const fs::path& path)
{
    try {
        BglWords words(path); // the table a block at a time, with a look at the stop request between blocks
        if (!words.opened() || words.bytes() < g_bglHeaderSize + 1)
            return false;
        const std::uint64_t count = words.at(5);
        if (count == 0 || words.bytes() <= g_bglHeaderSize + g_sectionEntryBytes * count)
            return false;
        std::size_t block = 0;
        for (std::size_t entry = g_headerWords; entry < g_headerWords + g_sectionEntryWords * count;
             entry += g_sectionEntryWords) {
            if (entry / BglWords::blockWords != block) {
                block = entry / BglWords::blockWords;
                if (gf_stopRequested())
                    return false;
            }
            if (words.at(entry) == g_airportSectionType)
                return true;
        }
    } catch (const std::out_of_range&) { // the file grew shorter
    }
    return false;
}

std::uint64_t gf_readBglAirports(std::string_view bytes, const std::string& bglPath, const BglHandoff& handoff)
{
    BglWords words(bytes);
    BglFile file(bglPath, handoff, words);
    lf_readAirports(file);
    return words.bytesRead();
}

void gf_processBGLfile(const fs::path& path)
{
    const std::string text = gf_pathToUtf8(path);
    try {
        BglHandoff handoff;
        {
            std::lock_guard lock(g_handoffMutex);
            handoff = g_handoff;
        }
        BglWords words(path);
        if (!words.opened())
            return;
        BglFile file(text, handoff, words);
        lf_readAirports(file);
    } catch (const std::exception& e) {
        gf_logError(fmt::format("Exception in lf_processBGLfile: {}", fmt::format("{}: {}", text, e.what())));
        throw;
    }
}
