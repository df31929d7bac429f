// aircraft.cfg files as the livery scan reads them, after their lines were decoded: the standard
// reader and the reader of the IVAO packages on every text, and the text as a path for the IVAO
// model folder. Every record returned is whole.
#include "fuzz_support.h"

#include "aircraft/aircraft_cfg_reader.h"
#include "aircraft/livery_sections.h"
#include "aircraft/scan_reports.h"
#include "foundation/text_file.h"

using fuzzsupport::check;

namespace {

const std::string g_folder = "pk/SimObjects/Airplanes/fuzz";
const std::string g_ivaoFolder = "pk/IVAO_MTL/SimObjects/Airplanes/IVAO_B738WLfa";

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    fuzzsupport::loadShippedDatabase();
    std::filesystem::create_directories(g_ivaoFolder + "/texture.DLH");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)gf_getIvaoModel(text);
    std::vector<std::string> lines; // as the text reader cuts them
    gf_appendTextLines(text, lines);
    for (const std::string& folder : {g_folder, g_ivaoFolder}) {
        const std::string path = folder + "/aircraft.cfg";
        LiveryRecords records;
        if (gf_checkFltsimNumbers(lines, path)) {
            if (folder == g_ivaoFolder)
                records = gf_splitIvaoFltSimSections(7, lines, gf_getIvaoModel(path), path, folder);
            else if (const std::string model = gf_getModel(path, lines); !model.empty())
                records = gf_splitFltSimSections(7, lines, model, path, folder);
        }
        for (const LiveryRecord& r : records) {
            check(!r.title.empty() && r.folderNumber == 7, "livery record: a title and its folder");
            check(!r.type.empty() && r.type.size() <= 4, "livery record: a type code");
            check(r.airl.size() == 3, "livery record: a three-letter airline");
        }
        gf_clearScanReports();
    }
    return 0;
}
