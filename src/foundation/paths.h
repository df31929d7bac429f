#pragma once
// Every folder and file of the program. Relative paths are relative to the program folder,
// which is the process's current folder; the options file lives in the per-user data folder.
#include <filesystem>
#include <optional>
#include <string>

namespace fs = std::filesystem;

// folders of the program folder
inline const fs::path g_inputFolder = "input";
inline const fs::path g_userRegcodeFolder = fs::path("input") / "my_regcodes";
inline const fs::path g_airportsFolder = "airports";
inline const fs::path g_simAddonAirportFolder = fs::path("airports") / "my_simaddon";
inline const fs::path g_userAirportFolder = fs::path("airports") / "my_thirdparty";
inline const fs::path g_learnedFolder = fs::path("airports") / "learned";
inline const fs::path g_learnedStockFolder = g_learnedFolder / "stock";
inline const fs::path g_learnedSimAddonFolder = g_learnedFolder / "simaddon";
inline const fs::path g_learnedThirdPartyFolder = g_learnedFolder / "thirdparty";
inline const fs::path g_outputFolder = "output";
inline const fs::path g_infoFolder = fs::path("output") / "info";
inline const fs::path g_errorsFolder = fs::path("output") / "errors";
inline const fs::path g_learningFolder = "TBLO";
inline const fs::path g_docsFolder = "docs";

// files of the program folder
inline const fs::path g_dbaseEncPath = g_inputFolder / "dbase.enc";
inline const fs::path g_dbaseXmlPath = g_inputFolder / "dbase.xml";
inline const fs::path g_regcodesEncPath = g_inputFolder / "AIG-regcodes.enc";
inline const fs::path g_regcodesXmlPath = g_inputFolder / "AIG-regcodes.xml";
inline const fs::path g_liveriesScannedPath = g_outputFolder / "LiveriesScanned.xml";
inline const fs::path g_myParkAirportsPath = g_airportsFolder / "my_park_airports.txt";
inline const fs::path g_airportListPath = "airports_msfs.xml";
inline const fs::path g_callsignListPath = "Callsign2ObjectId.txt";
inline const fs::path g_installerPath = "install_new_version.exe";
inline const std::string g_fsBaseFolderName = "fs-base";
inline const fs::path g_logPath = "Log.txt";

// scan reports
inline const fs::path g_airportsScanLogPath = g_infoFolder / "AirportsScanLog.txt";
inline const fs::path g_noFltsimSectionPath = g_infoFolder / "AircraftCfgWithNoFltsimSection.txt";
inline const fs::path g_modelConversionsPath = g_infoFolder / "AirlineModelConversions.txt";
inline const fs::path g_inlineRegcodesPath = g_errorsFolder / "InlineRegcodes.txt";
inline const fs::path g_invalidAirlineCodesPath = g_errorsFolder / "InvalidAirlineCodes.txt";
inline const fs::path g_invalidAircraftCodesPath = g_errorsFolder / "InvalidAircraftCodes.txt";
inline const fs::path g_fixesPath = g_errorsFolder / "Fixes.txt";
inline const fs::path g_invalidCfgFilesPath = g_errorsFolder / "InvalidAircraftCfgFiles.txt";
inline const fs::path g_incompleteSectionsPath = g_errorsFolder / "IncompleFltsimSections.txt";

// per-user data: the AppData folder joined with the short display name
extern fs::path g_dataFolder;
inline const std::string g_parametersFileName = "parameters.xml";
extern std::string g_parametersPath;

// Works out the per-user paths from the known folders. Called once at process start, and by
// tests after they pointed the environment at a temporary folder.
void gf_initDataPaths();

std::optional<fs::path> gf_knownFolderPath(int csidl);
fs::path gf_getAppDataPath();      // "Could not find the AppData path" when it fails
fs::path gf_getLocalAppDataPath(); // "Could not find the a Local Appdata path" when it fails

// UTF-8 text <-> path; the file system here takes UTF-8 names as they are.
fs::path gf_pathFromUtf8(const std::string& text);
std::string gf_pathToUtf8(const fs::path& path);
