#pragma once
// A major.minor.patch version number.
#include <cstdint>
#include <string>

struct VersionData {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;

    VersionData() = default;
    // "11.0.4", or a JSON object with "major", "minor" and "patch"; never raises (errors are
    // logged and leave the fields read so far). A text of more than 256 characters is refused.
    explicit VersionData(const std::string& text);

    std::string toString() const; // "{}.{}.{}"
};

// true when a is newer than b (fields compared as signed 32-bit values, major first)
bool gf_isNewerVersion(const VersionData& a, const VersionData& b);
