#pragma once
// The livery scan of a start-up: the folders (the user's lfolder options, or the AI packages
// detected in the simulator's Community folder in the chosen order), the walk over them, the
// tidied result in LiveriesScanned.xml with the reports, and then the livery tables. Control
// thread only.
#include <filesystem>
#include <string>
#include <vector>

// Scans when SCAN_LIVERIES is on, then builds the livery tables from LiveriesScanned.xml.
// brv::UserErrorException 48 (no folder set), 53 / 43 (no liveries found, manual / automatic).
// A stop during the scan returns at once, with SCAN_LIVERIES still on.
void gf_scanLiveries();

// The folders to scan, in order.
void gf_collectLiveryFolders(std::vector<std::string>& folders);

// NotSaved: liveries were found but LiveriesScanned.xml could not be written
enum class ScanOutcome { Found, NoneFound, Stopped, NotSaved };
ScanOutcome gf_scanLiveryFolders(const std::vector<std::string>& folders);

// The package detectors: each appends the first direct entry of the Community folder whose name
// qualifies.
void gf_detectAigFolder(const std::filesystem::path& community, std::vector<std::string>& folders);
void gf_detectFsltlFolder(const std::filesystem::path& community, std::vector<std::string>& folders);
void gf_detectJfFolder(const std::filesystem::path& community, std::vector<std::string>& folders);
void gf_detectUserAiFolder(const std::filesystem::path& community, std::vector<std::string>& folders);
