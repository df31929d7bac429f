#include "airports/park_airport_list.h"

#include "airports/airport.h"
#include "airports/any_text_lines.h"
#include "airports/park_data.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <fmt/format.h>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <vector>

std::list<MyParkAirport> g_myParkAirports;

namespace {

constexpr std::string_view lf_fileName = "my_park_airports.txt";
constexpr std::size_t lf_manyAirports = 3000;

std::list<MyParkAirport>::iterator lf_find(std::string_view code)
{
    return std::find_if(g_myParkAirports.begin(), g_myParkAirports.end(),
                        [code](const MyParkAirport& entry) { return entry.code == code; });
}

bool lf_listed(std::string_view code) { return lf_find(code) != g_myParkAirports.end(); }

void lf_append(const Airport& airport, std::string stand)
{
    g_myParkAirports.push_back(MyParkAirport{airport.code, std::move(stand), airport.lat, airport.lon, 0.0});
}

// Under g_parkDataMutex; false when a code is unknown.
bool lf_readFileEntries()
{
    std::vector<std::string> lines;
    if (!gf_readAnyTextLines(g_myParkAirportsPath, lines)) {
        gf_log(gf_pathToUtf8(g_myParkAirportsPath) + " not found");
        return true;
    }
    bool allKnown = true;
    for (const std::string& line : lines) {
        if (gf_trim(line).empty())
            continue;
        std::vector<std::string> pieces = gf_split(line, ',');
        if (pieces.size() >= 3) {
            gf_logError(fmt::format("{}:{} wrong syntax, skipped", lf_fileName, line));
        } else if (lf_listed(pieces[0])) {
            gf_logError(fmt::format("{}:{} double, skipped", lf_fileName, pieces[0]));
        } else if (const Airport* airport = gf_findAirport(pieces[0])) {
            lf_append(*airport, pieces.size() == 2 ? std::move(pieces[1]) : std::string());
        } else {
            gf_showStatus(fmt::format("airport {} is unknown", pieces[0]), true);
            allKnown = false;
        }
    }
    if (const auto count = static_cast<std::int64_t>(g_myParkAirports.size()); count > 0) {
        gf_log(fmt::format("{} park airport{} read from '{}'", count, gf_plural(count), lf_fileName));
        if (g_myParkAirports.size() > lf_manyAirports)
            gf_showStatus(
                fmt::format("Warning: There are a lot of airports ({}), that will cost TRWK much cpu time and may cause stutters", count),
                true);
    }
    return allKnown;
}

// Under g_parkDataMutex: every airport of a file in my_thirdparty that is not yet listed.
void lf_addThirdpartyParkAirports()
{
    const std::size_t before = g_myParkAirports.size();
    std::error_code ec;
    fs::directory_iterator it(g_userAirportFolder, ec);
    if (ec == std::errc::no_such_file_or_directory)
        return;
    if (ec)
        throw fs::filesystem_error("directory_iterator::directory_iterator", g_userAirportFolder, ec);
    for (; it != fs::directory_iterator();) {
        const bool regular = it->is_regular_file(ec);
        if (ec && ec != std::errc::no_such_file_or_directory) // a dangling link is no file
            throw fs::filesystem_error("status", it->path(), ec);
        const std::string code = gf_pathToUtf8(it->path().stem());
        if (const Airport* airport = gf_findAirport(code); regular && airport != nullptr && !lf_listed(code))
            lf_append(*airport, std::string());
        it.increment(ec);
        if (ec)
            throw fs::filesystem_error("directory_iterator::operator++", g_userAirportFolder, ec);
    }
    if (const auto added = static_cast<std::int64_t>(g_myParkAirports.size() - before); added > 0)
        gf_log(fmt::format("{} park airport{} added from my_thirdparty folder(-s)", added, gf_plural(added)));
}

std::string lf_entryLine(const MyParkAirport& entry)
{
    return fmt::format("{}{}", entry.code, entry.stand.empty() ? std::string() : fmt::format(",{}", entry.stand));
}

bool lf_updateParkAirportLine(const MyParkAirport& entry, std::string& line)
{
    const std::vector<std::string> pieces = gf_split(line, ',');
    if (pieces.empty() || pieces[0] != entry.code)
        return false;
    line = lf_entryLine(entry);
    gf_log(fmt::format("{}:{} updated stand", lf_fileName, line));
    return true;
}

// The user's file is replaced only once the new one is whole on the disk; a file that cannot be
// written is left as it was.
void lf_writeLinesReplacing(const std::vector<std::string>& lines, const fs::path& path)
{
    fs::path temporary = path;
    temporary += ".new";
    {
        std::ofstream file(temporary, std::ios::out | std::ios::trunc);
        for (const std::string& line : lines)
            file << line << '\n';
        file.close();
        if (file.good()) {
            std::error_code ec;
            fs::rename(temporary, path, ec);
            if (!ec)
                return;
        }
    }
    std::error_code ec;
    fs::remove(temporary, ec);
}

} // namespace

bool gf_readMyParkAirports()
{
    std::lock_guard lock(g_parkDataMutex);
    g_myParkAirports.clear();
    try {
        const bool allKnown = lf_readFileEntries();
        lf_addThirdpartyParkAirports();
        return allKnown;
    } catch (const std::exception& e) {
        gf_logError(fmt::format("{}: {}", "gf_readMyParkAirports", e.what()));
        return false;
    }
}

void gf_writeMyParkAirports()
{
    MyParkAirport front;
    {
        std::lock_guard lock(g_parkDataMutex);
        if (g_myParkAirports.empty())
            return;
        front = g_myParkAirports.front();
    }
    gf_writeMyParkAirportEntry(front);
}

void gf_writeMyParkAirportEntry(const MyParkAirport& front)
{
    // the file has its own lock: the simulator thread writes it without holding the park data,
    // which the tick reads
    static std::mutex fileMutex;
    std::lock_guard lock(fileMutex);
    const std::string line = lf_entryLine(front);
    std::vector<std::string> lines;
    if (!gf_readAnyTextLines(g_myParkAirportsPath, lines)) {
        lines = {line};
        gf_log(fmt::format("{} created with {}", lf_fileName, line));
    } else {
        bool updated = false;
        for (auto it = lines.begin(); it != lines.end() && !updated; ++it)
            updated = lf_updateParkAirportLine(front, *it);
        if (!updated) {
            lines.insert(lines.begin(), line);
            gf_log(fmt::format("{}:{} new entry", lf_fileName, line));
        }
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    lf_writeLinesReplacing(lines, g_myParkAirportsPath);
}

void gf_setDestinationParkAirport(const std::string& code, const LatLon& position)
{
    std::lock_guard lock(g_parkDataMutex);
    if (const auto entry = lf_find(code); entry != g_myParkAirports.end()) {
        g_myParkAirports.splice(g_myParkAirports.begin(), g_myParkAirports, entry);
        return;
    }
    if (g_myParkAirports.size() >= g_myParkAirports.max_size())
        throw std::length_error("list too long");
    g_myParkAirports.push_front(MyParkAirport{code, std::string(), position.lat, position.lon, 0.0});
    gf_writeMyParkAirports();
}
