// The program's XML files and the user's registration lists as their readers take them:
// LiveriesScanned.xml (and the tables and matching built on it), the aircraft database,
// AIG-regcodes.xml and parameters.xml, each for a text that names its top element, and a text
// file of input/my_regcodes for one without any element. Each ends in a result or in one of the
// reader's documented refusals.
#include "fuzz_support.h"

#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/liveries_scanned.h"
#include "aircraft/livery_matching.h"
#include "aircraft/livery_records.h"
#include "aircraft/livery_tables.h"
#include "aircraft/regcode_files.h"
#include "aircraft/similar_types.h"
#include "foundation/load_parameters.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/user_error.h"

#include <algorithm>

using fuzzsupport::check;
namespace fs = std::filesystem;

namespace {

Dbase g_shippedDbase;

void lf_liveriesScanned(std::string_view bytes)
{
    fuzzsupport::writeFile(g_liveriesScannedPath, bytes);
    try {
        gf_readLiveriesScanned();
    } catch (const brv::UserErrorException&) {
        check(g_liveryRecords.empty(), "LiveriesScanned.xml: no records after a refusal");
        return;
    }
    check(std::is_sorted(g_liveryRecords.begin(), g_liveryRecords.end(), gf_compareLiveryRecords),
          "LiveriesScanned.xml: records sorted");
    gf_clearLiveryTables();
    gf_buildLiveryTitles();
    gf_buildAirlineTables();
    gf_buildTypeTables();
    gf_buildSimilarModels();
    for (const LiveryRecord& record : g_liveryRecords) {
        LiveryMatchAc ac{record.airl, record.type, record.atcid, SizeClass::Light, record.cargo, {}, false};
        gf_matchLiveryLiveAc(ac);
        check(gf_findLiveryTitle(ac.liveryTitle) == ac.liveryTitle, "matching: a title of the tables");
    }
}

void lf_database(std::string_view bytes)
{
    fuzzsupport::writeEncrypted(g_dbaseEncPath, bytes);
    gf_resetDbase();
    try {
        if (gf_readDbase()) {
            (void)gf_getHalfWingspan("A320");
            (void)gf_findDbaseRecord("PHBXA");
            (void)gf_findPublisher("orbx");
        }
    } catch (const brv::UserErrorException& e) {
        check(e.code() == 60 || e.code() == 61, "database: refused with 60 or 61");
    }
    check(!fs::exists(g_dbaseXmlPath), "database: the plain copy removed");
    g_dbase = g_shippedDbase;
}

void lf_regcodes(std::string_view bytes, bool userFile)
{
    std::vector<RegcodeEntry> entries;
    if (userFile) {
        fuzzsupport::writeFile("input/my_regcodes/mine.txt", bytes);
        (void)gf_readMyRegcodes("input/my_regcodes", entries);
    } else {
        fuzzsupport::writeFile(g_regcodesXmlPath, bytes);
        (void)gf_readAigRegcodes(entries);
    }
    for (const RegcodeEntry& entry : entries) {
        // (a user's line "; regcodes" gives an empty title, which no livery has: it is never applied)
        check(!entry.title.empty() || (userFile && !entry.regcodes.empty()), "registration codes: a title");
        for (const std::string& regcode : entry.regcodes)
            check(!userFile || (regcode.size() >= 3 && regcode.size() <= 12), "my_regcodes: 3 to 12 characters");
    }
}

void lf_parameters(std::string_view bytes)
{
    gf_resetOptions();
    fuzzsupport::writeFile(g_parametersPath, bytes);
    gf_loadParameters();
    const ParameterLists& lists = gf_parameterLists();
    for (const IntParameter* option : lists.ints)
        check(option == nullptr || (option->value >= option->min && option->value <= option->max),
              "parameters.xml: integers within their limits");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    gf_initDataPaths();
    fs::create_directories(g_dataFolder);
    fuzzsupport::loadShippedDatabase();
    g_shippedDbase = g_dbase;
    gf_resetOptions();
    LOG.value = false;
    gf_resetLiveryTables();
    gf_installLiveryTables();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lt_names = [bytes](std::string_view element) { return bytes.find(element) != bytes.npos; };
    if (!lt_names("<"))
        lf_regcodes(bytes, true);
    if (lt_names("<liveries"))
        lf_liveriesScanned(bytes);
    if (lt_names("<aircrafts"))
        lf_database(bytes);
    if (lt_names("<AIG-regcodes"))
        lf_regcodes(bytes, false);
    if (lt_names("<parameters"))
        lf_parameters(bytes);
    return 0;
}
