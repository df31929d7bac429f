#pragma once
// The publisher of an add-on airport: "simaddon" for the simulator makers' airports, a scenery
// publisher of the aircraft database's list found in the BGL path or in the package's
// manifest.json, or "unknown". Every step writes its line to the scan report.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

struct PublisherInfo {
    std::string publisher = "unknown";
    std::string manufacturer; // from the package's manifest, when one was found
    std::string creator;
};

// The texts of a package's manifest.json; a missing or null member is empty.
struct ManifestInfo {
    std::string manufacturer;
    std::string creator;
    std::string title;
    bool found = false;
};

PublisherInfo gf_findAirportPublisher(const std::string& bglPath);
// The manifest of the package that holds the file: tried in the folder two levels below
// Community, then in the file's folder and each folder above it. Errors end the search (reported).
ManifestInfo gf_searchManifest(const std::string& bglPath);
// "manifest.json" directly in the folder (names as written); none when the path is no folder.
std::optional<std::filesystem::path> gf_findManifestInFolder(const std::filesystem::path& folder);
// Found when the file reads as a JSON object; raises for invalid JSON or a member of another type.
// A file over 1 MiB is not read (a report line); the texts are cut to a few hundred bytes.
ManifestInfo gf_readManifest(const std::filesystem::path& manifestPath);

// While one lives (the scan holds one), each folder is listed once for its manifest.json and each
// manifest read once, its answer or error kept by its path for every file that asks again.
class ManifestScanCache {
public:
    ManifestScanCache();
    ~ManifestScanCache();
    ManifestScanCache(const ManifestScanCache&) = delete;
    ManifestScanCache& operator=(const ManifestScanCache&) = delete;
};

// The folders listed and the manifests read by the searches since the program started.
struct ManifestLookups {
    std::int64_t foldersListed = 0;
    std::int64_t manifestsRead = 0;
};
ManifestLookups gf_manifestLookups();
