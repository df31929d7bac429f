// airports/my_park_airports.txt as the park-airport lists take it: read, the first entry recorded
// (the file rewritten), and read again. Every entry names a known airport once, with a stand
// without a comma; the rewritten file is sorted, without repeated lines, and holds the entry's
// line; reading it again lists the same airports.
#include "fuzz_support.h"

#include "airports/airport.h"
#include "airports/park_airport_list.h"
#include "foundation/paths.h"
#include "foundation/text_utils.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using fuzzsupport::check;
namespace fs = std::filesystem;

namespace {

std::set<std::string> lf_codesRead()
{
    std::set<std::string> codes;
    (void)gf_readMyParkAirports();
    for (const MyParkAirport& entry : g_myParkAirports) {
        check(codes.insert(entry.code).second, "list: each airport once");
        check(gf_findAirport(entry.code) != nullptr, "list: known airports only");
        check(entry.stand.find(',') == std::string::npos && gf_trim(entry.stand) == entry.stand,
              "list: a trimmed stand without a comma");
    }
    return codes;
}

std::vector<std::string> lf_lines()
{
    std::vector<std::string> lines;
    std::ifstream file(g_myParkAirportsPath, std::ios::binary);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    fuzzsupport::writeFile("input/airports_msfs.xml",
                           "<airports><airport code='EDDF' lat='50.03' lon='8.57' alt='364'/>"
                           "<airport code='EHAM' lat='52.31' lon='4.76' alt='-11'/>"
                           "<airport code='KJFK' lat='40.64' lon='-73.78' alt='13'/>"
                           "<airport code='LFPG' lat='49.01' lon='2.55' alt='392'/>"
                           "<airport code='E' lat='1' lon='1' alt='1'/></airports>");
    gf_readAirports("airports_msfs.xml");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fs::remove_all("airports");
    fuzzsupport::writeFile(g_myParkAirportsPath, bytes);
    const std::set<std::string> before = lf_codesRead();
    if (g_myParkAirports.empty())
        return 0;
    MyParkAirport& first = g_myParkAirports.front();
    first.stand = first.stand.empty() ? "A12" : "";
    const std::string line = first.stand.empty() ? first.code : first.code + "," + first.stand;
    gf_writeMyParkAirports();
    const std::vector<std::string> lines = lf_lines();
    check(std::is_sorted(lines.begin(), lines.end()) && std::adjacent_find(lines.begin(), lines.end()) == lines.end(),
          "rewrite: lines sorted, none twice");
    check(std::find(lines.begin(), lines.end(), line) != lines.end(), "rewrite: the entry's line");
    check(lf_codesRead() == before, "read again: the same airports");
    return 0;
}
