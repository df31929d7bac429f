#pragma once
// A test's own per-user data folder with the log open and every option at its default, and
// helpers to write and read parameters.xml.
#include "foundation/meta_block.h"
#include "foundation/option_table.h"
#include "foundation/paths.h"
#include "foundation/safe_save.h"
#include "foundation/shell_state.h"
#include "foundation/utc_time.h"
#include "support/logged_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testsupport {

using Entries = std::vector<std::pair<std::string, std::string>>;

class OptionsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gf_resetOptions();
        gf_initDataPaths();
        std::filesystem::create_directories(g_dataFolder);
    }
    void TearDown() override
    {
        gf_setBeforeReplaceHook(nullptr);
        gf_resetOptions();
        g_timeShifted = false;
        g_msfs2020Mode = true; // the load takes the simulator from SIM_CHOICE
        gf_updateSimFamily();
    }

    static void writeFile(const std::string& text) { std::ofstream(g_parametersPath, std::ios::binary) << text; }
    // parameters.xml as the program writes it, holding these elements
    static void writeFile(const Entries& entries)
    {
        std::string text = "<?xml version=\"1.0\"?>\n<parameters>\n";
        for (const auto& [name, value] : entries)
            text += "\t<parameter name=\"" + name + "\" value=\"" + value + "\" />\n";
        writeFile(text + "</parameters>\n");
    }

    static std::string readFile()
    {
        std::ifstream file(g_parametersPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // name and value of every `parameter` element of the file, in file order
    static Entries entries()
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(g_parametersPath.c_str())) << g_parametersPath;
        Entries result;
        for (const pugi::xml_node& p : doc.child("parameters").children("parameter"))
            result.emplace_back(p.attribute("name").as_string(), p.attribute("value").as_string());
        return result;
    }

    static std::string valueOf(const std::string& key)
    {
        for (const auto& [name, value] : entries())
            if (name == key)
                return value;
        return "<missing>";
    }

    // The file with one element's value changed (appended when missing), as another program writes it.
    static void setValue(const std::string& key, const std::string& value)
    {
        Entries all = entries();
        const auto found = std::find_if(all.begin(), all.end(), [&](const auto& e) { return e.first == key; });
        if (found == all.end())
            all.emplace_back(key, value);
        else
            found->second = value;
        writeFile(all);
    }

    // Runs `work` in a child process; the child's exit code.
    static int inChild(void (*work)())
    {
        const pid_t child = ::fork();
        if (child == 0) {
            work();
            ::_exit(0);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // the files of the data folder (to see that no temporary file is left)
    static std::vector<std::string> dataFiles()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(g_dataFolder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    LoggedFolder folder;
};

} // namespace testsupport
