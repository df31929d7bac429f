#pragma once
// Shared set-up of the aircraft tests: a temporary program folder with input/, an open log, and
// empty database and registration-code tables.
#include "aircraft/candidate_list.h"
#include "aircraft/dbase.h"
#include "aircraft/dbase_lookup.h"
#include "aircraft/dbase_reader.h"
#include "aircraft/regcode_files.h"
#include "aircraft/regcode_processing.h"
#include "aircraft/regcode_tables.h"
#include "foundation/decrypt.h"
#include "foundation/log.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/status_line.h"
#include "foundation/user_error.h"
#include "stream_encrypt.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace aircrafttest {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

inline std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void writeFile(const fs::path& path, const std::string& bytes)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Encrypts the text into `encrypted` the way the build makes the shipped files.
inline void writeEncrypted(const fs::path& encrypted, const std::string& plain)
{
    const fs::path source = "plain-source.tmp";
    writeFile(source, plain);
    gf_streamEncrypt(source, encrypted);
    fs::remove(source);
}

inline std::vector<std::string> readLines(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

inline std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// The code and text of the user error `call` raises; {0, ""} when it raises none.
template <typename Call>
std::pair<int, std::string> userError(Call&& call)
{
    try {
        call();
    } catch (const brv::UserErrorException& e) {
        return {e.code(), e.what()};
    }
    return {0, ""};
}

// Each fixture resets what its tests change as it sets up.
class AircraftTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories("input");
        gf_resetOptions();
        gf_resetDbase();
        gf_resetRegcodeTables();
        g_regcodeReport.clear();
        gf_clearStatusAndError();
        gf_openLog();
    }
    void TearDown() override { gf_closeLog(); }

    // The log so far; closes the log.
    std::string log()
    {
        gf_closeLog();
        return readFile("Log.txt");
    }
    // Each part is in the log (which closes).
    void expectLogged(const std::vector<std::string>& parts)
    {
        const std::string text = log();
        for (const auto& part : parts)
            EXPECT_THAT(text, HasSubstr(part));
    }

    testsupport::TempFolder m_folder;
};

} // namespace aircrafttest

using namespace aircrafttest;
