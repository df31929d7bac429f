#pragma once
// A temporary program folder with Log.txt open, and what has been logged so far.
#include "foundation/log.h"
#include "foundation/shell_state.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

class LoggedFolder : public TempFolder {
public:
    LoggedFolder()
    {
        gf_resetShellState();
        gf_openLog();
    }
    ~LoggedFolder() { gf_closeLog(); }

    // the lines after the header line
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        std::ifstream file(path() / "Log.txt");
        std::string line;
        bool header = true;
        while (std::getline(file, line)) {
            if (!header)
                lines.push_back(line);
            header = false;
        }
        return lines;
    }

    bool logHas(const std::string& line) const
    {
        const auto lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

} // namespace testsupport
