// The program's encrypted data files as the decryption reads them: a whole plaintext, or a
// failure that leaves no output behind.
#include "fuzz_support.h"

#include "foundation/decrypt.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::enterProgramFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeFile("input/data.enc", {reinterpret_cast<const char*>(data), size});
    const bool ok = gf_streamDecrypt("input/data.enc", "input/data.xml");
    fuzzsupport::check(ok == fs::exists("input/data.xml"), "decryption: an output exactly on success");
    fs::remove("input/data.xml");
    return 0;
}
