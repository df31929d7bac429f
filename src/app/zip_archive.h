#pragma once
// A zip archive opened read-only: the names and contents of its entries.
#include <cstdint>
#include <filesystem>
#include <string>

struct zip;

class ZipArchive {
public:
    // Opens the archive; isOpen() tells whether that worked.
    explicit ZipArchive(const std::filesystem::path& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return m_archive != nullptr; }
    std::uint64_t entryCount() const;
    // The sum of the entries' sizes as the archive's directory gives them (its word only); the
    // largest number when an entry's size cannot be read.
    std::uint64_t declaredSize() const;
    // std::runtime_error when the entry has no name.
    std::string entryName(std::uint64_t index) const;
    // The whole content; std::runtime_error when it cannot be read, fails its checksum or holds
    // more than maxSize bytes.
    std::string readEntry(std::uint64_t index, std::uint64_t maxSize) const;
    void close();

private:
    zip* m_archive = nullptr;
};
