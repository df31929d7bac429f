// Link files CODE.txt as the airport file search takes them, in airports/my_thirdparty and
// airports/my_simaddon, and the learned file's path that each reference gives. A reference ends
// in ".xml" and stays inside the program's folders (no "..", no root); the learned path of any
// reference, the first line read raw included, lies inside airports/learned.
#include "fuzz_support.h"

#include "airports/apf_locations.h"
#include "foundation/paths.h"

#include <algorithm>
#include <string>

using fuzzsupport::check;
namespace fs = std::filesystem;

namespace {

bool lf_insideLearned(const fs::path& path)
{
    const fs::path normal = path.lexically_normal();
    const auto [learned, at] =
        std::mismatch(g_learnedFolder.begin(), g_learnedFolder.end(), normal.begin(), normal.end());
    return learned == g_learnedFolder.end() && at != normal.end() && std::find(at, normal.end(), "..") == normal.end();
}

void lf_checkReference(const std::string& reference)
{
    check(reference.size() >= 4 && reference.ends_with(".xml"), "link: a reference ending in .xml");
    check(reference.find('\\') == std::string::npos, "link: '/' as the separator");
    check(!reference.starts_with('/') && !(reference.size() >= 2 && reference[1] == ':'), "link: no root");
    check(reference != ".." && !reference.starts_with("../") && reference.find("/../") == std::string::npos,
          "link: no '..'");
}

void lf_checkLearned(const std::string& reference, const std::string& publisher)
{
    if (reference.empty())
        return;
    check(lf_insideLearned(gf_learnedApfPath(reference, publisher, "EDDF")), "learned path: inside airports/learned");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    ::setenv("TRWK_DOWNLOAD_BASE_URL", "file:///nonexistent-trwk-site/", 1); // no stock archive
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // the second line doubles as the publisher
    const std::size_t lineEnd = bytes.find('\n');
    const std::string first(bytes.substr(0, lineEnd));
    const std::string publisher(lineEnd == std::string_view::npos ? std::string_view() : bytes.substr(lineEnd + 1, 64));
    fs::remove_all("airports");
    for (const fs::path* folder : {&g_userAirportFolder, &g_simAddonAirportFolder}) {
        const fs::path link = *folder / "EDDF.txt";
        fuzzsupport::writeFile(link, bytes);
        std::string reference;
        if (gf_readApfLinkFile(link, reference)) {
            lf_checkReference(reference);
            check(gf_findApfReference("EDDF") == reference, "search: the link's reference first");
            for (const std::string& p : {publisher, std::string("Pub"), std::string()})
                lf_checkLearned(reference, p);
        } else {
            check(gf_findApfReference("EDDF").empty(), "search: a link that is none names no file");
        }
        fs::remove(link);
    }
    lf_checkLearned(first, publisher);
    return 0;
}
