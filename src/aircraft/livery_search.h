#pragma once
// The walk over one livery folder: every aircraft.cfg below it is read by a task of its own on a
// fixed set of g_maxTasks worker threads, and the records are collected in the order the files
// were found into g_liveryRecords. Runs on the control thread.
#include <cstdint>
#include <filesystem>
#include <functional>

// Appends the records of every aircraft.cfg below the folder to g_liveryRecords. Ends early once
// g_stop or g_quit is set, without starting new tasks or collecting the running ones.
void gf_searchLiveriesInFolder(std::uint32_t folderNumber, const std::filesystem::path& folder);

// Deletes LiveriesScanned.xml and the previous scan's reports (and output/errors when empty).
void gf_removePreviousScanFiles();

// Called by each task, on its thread, before it reads its file (tests: hold, fail or stop a task).
using LiveryTaskHook = std::function<void(const std::filesystem::path& path)>;
void gf_setLiveryTaskHook(LiveryTaskHook hook);
