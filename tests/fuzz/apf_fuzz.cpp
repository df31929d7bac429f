// The park airport's parking file and its learned file through the loader, each input once as the
// parking file (beside a learned file that asks for made-up aircraft) and once as the learned file
// (merged into a parking file of two stands), then written as the learned file and loaded again.
// The loader ends in a result or one of its listed refusals; every stand lies on the globe with a
// finite heading and radius, is numbered in order with its overlapping neighbours (at most 64 of
// them before it), and every option of the program keeps within its limits; no made-up aircraft
// reaches the written file, and a copy kept of the learned file is never written over.
#include "fuzz_support.h"

#include "airports/apf_file.h"
#include "airports/park_apf.h"
#include "airports/park_data.h"
#include "airports/stand_neighbours.h"
#include "foundation/load_parameters.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"
#include "traffic/learned_writer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <pugixml.hpp>
#include <string>

using fuzzsupport::check;
using fuzzsupport::readFile;
namespace fs = std::filesystem;

namespace {

const fs::path g_parkingFile = "airports/my_thirdparty/EDDF.xml";
const fs::path g_learnedFile = "airports/learned/thirdparty/Pub/EDDF.xml";
const fs::path g_learnedCopy = "airports/learned/thirdparty/Pub/EDDF.0.xml";

const std::string g_meta =
    "<meta><info name='author' value='a'/><info name='date' value='d'/><info name='version' value='1.0.0'/></meta>";
const std::string g_archive =
    g_meta + "<parameters><parameter name='altitude' value='364'/><parameter name='publisher' value='Pub'/>"
             "</parameters><parkpositions><parkpos id='A1' latitude='50' longitude='8.5' radius='20'>"
             "<opt reg='D-AIZZ' airl='DLH' type='A320' day='1' hh='11,12'/></parkpos>"
             "<parkpos id='A2' latitude='50.0002' longitude='8.5' radius='20' heli='true'/></parkpositions>";
const std::string g_learned = g_meta + "<parameters><parameter name='PARK_FAKE' value='true'/></parameters>"
                                       "<parkpositions><parkpos id='A1'><opt reg='D-ABCD' day='2' hh='3'/>"
                                       "</parkpos></parkpositions>";

bool lf_listedRefusal(const std::string& result)
{
    const char* const listed[] = {": could not load file: ", ": refused to load (copyright)", "no stands found",
                                  "parking positions, more than any airport has"};
    return std::any_of(std::begin(listed), std::end(listed),
                       [&](const char* text) { return result.find(text) != std::string::npos; });
}

// One load: its result, or the number of the user error that ended it.
std::string lf_load()
{
    g_parkStands.clear();
    try {
        const std::string result = gf_readParkedFile();
        check(result.empty() || lf_listedRefusal(result), "loader: a result or a listed refusal");
        return result;
    } catch (const brv::UserErrorException& e) {
        check(e.code() == 65 || e.code() == 94, "loader: user errors 65 and 94 only");
        return "user error";
    }
}

void lf_checkStands()
{
    check(g_parkStands.size() <= g_maxAirportStands, "stands: those made by hand within the airport's limit");
    for (std::size_t i = 0; i < g_parkStands.size(); ++i) {
        const Stand& s = g_parkStands[i];
        check(std::abs(s.latitude) <= 90.0 && std::abs(s.longitude) <= 180.0, "stand: a position on the globe");
        check(std::isfinite(s.heading) && std::isfinite(s.radius), "stand: a finite heading and radius");
        check(s.id == 0 || s.id == i + 1, "stand: numbered in list order");
        check(std::is_sorted(s.neighbours.begin(), s.neighbours.end()) &&
                  std::adjacent_find(s.neighbours.begin(), s.neighbours.end()) == s.neighbours.end(),
              "stand: neighbours rising, each once");
        for (const std::uint32_t id : s.neighbours)
            check(id >= 1 && id <= g_parkStands.size() && id != s.id, "stand: neighbours are other stands");
        const auto before = std::lower_bound(s.neighbours.begin(), s.neighbours.end(), s.id) - s.neighbours.begin();
        check(static_cast<std::size_t>(before) <= g_maxOverlappedStands, "stand: overlaps at most 64 stands before it");
        std::int32_t last = 0;
        for (const StandOption& o : s.options) {
            check(o.optionId > last, "option: numbers rising");
            last = o.optionId;
            check((o.real == 0 || o.real == 1) && o.fromApf <= 1, "option: real and source flags");
            check(!o.madeUp || (o.fromApf == 1 && o.real == 0), "option: a made-up aircraft is soft and the airport's");
        }
    }
    for (const IntParameter* option : gf_parameterLists().ints)
        check(option == nullptr || (option->value >= option->min && option->value <= option->max),
              "options: integers within their limits");
    for (const IntChoiceParameter* option : {&RANGE, &MAX_LIVE_SEL})
        check(option->value >= option->min && option->value <= option->max, "options: choices within their limits");
    check(parking_percentage.value >= 0 && parking_percentage.value <= 100, "options: the parking percentage");
    check(MAX_FIT.value >= 0 && MAX_FIT.value <= 47 && MAX_FIT_FL.value == MAX_FIT.value * 0.5F + 0.5F,
          "options: MAX_FIT and its hours");
}

// The file names a made-up aircraft's registration itself: in its bytes, or in a value that the
// parser decodes from a character reference or another encoding.
bool lf_namesMadeUp(std::string_view bytes)
{
    if (bytes.find("REGFAKE") != std::string_view::npos)
        return true;
    pugi::xml_document doc;
    return doc.load_buffer(bytes.data(), bytes.size()) && doc.select_node("//@*[contains(., 'REGFAKE')]");
}

void lf_visit(std::string_view parkingFile, std::string_view learnedFile)
{
    gf_resetOptions();
    LOG.value = false;
    gf_resetParkApf();
    fs::remove_all("airports");
    fuzzsupport::writeFile(g_parkingFile, parkingFile);
    fuzzsupport::writeFile(g_learnedFile, learnedFile);
    const bool madeUpBefore = lf_namesMadeUp(parkingFile) || lf_namesMadeUp(learnedFile);
    const std::string first = lf_load();
    lf_checkStands();
    if (!first.empty())
        return;
    const bool kept = fs::exists(g_learnedCopy);
    const std::string copy = kept ? readFile(g_learnedCopy) : std::string();
    g_learnedUpdates = 1;
    (void)gf_writeLearnedApf();
    const std::string written = readFile(g_learnedFile);
    check(madeUpBefore || written.find("REGFAKE") == std::string::npos, "writer: no made-up aircraft in the file");
    (void)lf_load();
    lf_checkStands();
    check(!kept || readFile(g_learnedCopy) == copy, "copies: a copy of the learned file is never written over");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    gf_initDataPaths();
    fuzzsupport::loadShippedDatabase();
    parkAirport = Airport{"EDDF", "FRA", 50.0, 8.5, 364.0};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    lf_visit(bytes, g_learned);
    lf_visit(g_archive, bytes);
    return 0;
}
