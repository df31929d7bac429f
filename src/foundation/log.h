#pragma once
// The process log Log.txt: whole lines, flushed at once, from any thread.
#include <filesystem>
#include <string>
#include <string_view>

void gf_log(std::string_view text);
void gf_logError(std::string_view text);    // "===> " in front
void gf_logIndented(std::string_view text); // ten blanks in front
// The line only while the LOG option is on.
void gf_logIf(const std::string& text);
// As gf_log, but silent once a stop or quit was requested.
void gf_logWhileRunning(const std::string& text);

// Keeps two older copies: Log.txt -> Log0.txt -> Log00.txt.
void gf_rotateBackups(const std::filesystem::path& path);
// Starts Log.txt in the current folder with its header line; raises std::runtime_error
// "Failed to write file Log.txt" when it cannot be opened.
void gf_openLog();
// Closes the log (tests; the process otherwise keeps it open to the end).
void gf_closeLog();

std::string gf_makeBanner(int width, int extra, bool leadingNewline, bool trailingNewline, std::string_view title);
