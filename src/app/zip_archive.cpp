#include "app/zip_archive.h"

#include <array>
#include <fmt/format.h>
#include <limits>
#include <memory>
#include <stdexcept>
#include <zip.h>

namespace {

struct EntryCloser {
    void operator()(zip_file_t* file) const noexcept { zip_fclose(file); }
};

[[noreturn]] void lf_tooLarge(std::uint64_t index, std::uint64_t maxSize)
{
    throw std::runtime_error(fmt::format("zip entry {} holds more than {} bytes", index, maxSize));
}

} // namespace

ZipArchive::ZipArchive(const std::filesystem::path& path)
{
    int error = 0;
    m_archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
}

ZipArchive::~ZipArchive() { close(); }

void ZipArchive::close()
{
    if (m_archive != nullptr)
        zip_discard(m_archive); // read-only: nothing to write back
    m_archive = nullptr;
}

std::uint64_t ZipArchive::entryCount() const
{
    if (m_archive == nullptr)
        return 0;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    return count > 0 ? static_cast<std::uint64_t>(count) : 0;
}

std::uint64_t ZipArchive::declaredSize() const
{
    std::uint64_t total = 0;
    for (std::uint64_t i = 0; i < entryCount(); ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_archive, i, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
            stat.size > std::numeric_limits<std::uint64_t>::max() - total)
            return std::numeric_limits<std::uint64_t>::max();
        total += stat.size;
    }
    return total;
}

std::string ZipArchive::entryName(std::uint64_t index) const
{
    const char* name = m_archive != nullptr ? zip_get_name(m_archive, index, 0) : nullptr;
    if (name == nullptr)
        throw std::runtime_error(fmt::format("zip entry {} has no name", index));
    return name;
}

std::string ZipArchive::readEntry(std::uint64_t index, std::uint64_t maxSize) const
{
    if (m_archive == nullptr)
        throw std::runtime_error("zip archive not open");
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, index, 0, &stat) != 0)
        throw std::runtime_error(zip_strerror(m_archive));
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > maxSize)
        lf_tooLarge(index, maxSize);
    const std::unique_ptr<zip_file_t, EntryCloser> file(zip_fopen_index(m_archive, index, 0));
    if (!file)
        throw std::runtime_error(zip_strerror(m_archive));
    // the size in the directory is the archive's word only: the data is counted as it comes
    std::string content;
    std::array<char, 16384> buffer{};
    for (;;) {
        const zip_int64_t count = zip_fread(file.get(), buffer.data(), buffer.size());
        if (count < 0)
            throw std::runtime_error(zip_file_strerror(file.get()));
        if (count == 0)
            return content;
        if (content.size() + static_cast<std::uint64_t>(count) > maxSize)
            lf_tooLarge(index, maxSize);
        content.append(buffer.data(), static_cast<std::size_t>(count));
    }
}
