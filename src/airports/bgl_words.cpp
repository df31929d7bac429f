#include "airports/bgl_words.h"

#include <algorithm>
#include <cstring>
#include <fmt/format.h>
#include <stdexcept>

namespace {

constexpr std::uint64_t g_blockBytes = BglWords::blockWords * 4;

} // namespace

BglWords::BglWords(std::string_view bytes) : m_memory(bytes), m_bytes(bytes.size()), m_size((bytes.size() + 3) / 4) {}

BglWords::BglWords(const std::filesystem::path& path) : m_fromFile(true)
{
    m_stream.rdbuf()->pubsetbuf(nullptr, 0); // each block straight into its words
    m_stream.open(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = m_stream ? static_cast<std::streamoff>(m_stream.tellg()) : -1;
    m_opened = size >= 0;
    m_bytes = m_opened ? static_cast<std::uint64_t>(size) : 0;
    m_size = static_cast<std::size_t>((m_bytes + 3) / 4);
}

void BglWords::beyondTheEnd(std::size_t index) const
{
    throw std::out_of_range(fmt::format("word {} beyond the end of the file ({} words)", index, m_size));
}

BglWords::Block& BglWords::load(std::size_t index)
{
    const auto held =
        std::find_if(m_blocks.begin(), m_blocks.end(), [index](const Block& b) { return b.index == index; });
    Block& block = held != m_blocks.end()
                       ? *held
                       : *std::min_element(m_blocks.begin(), m_blocks.end(),
                                           [](const Block& a, const Block& b) { return a.used < b.used; });
    block.used = ++m_loads;
    if (held != m_blocks.end())
        return block;
    block.index = std::numeric_limits<std::size_t>::max(); // until it is read whole
    if (!block.words)
        block.words = std::make_unique_for_overwrite<std::uint32_t[]>(blockWords);
    const std::uint64_t offset = index * g_blockBytes;
    const auto count = static_cast<std::size_t>(std::min(g_blockBytes, m_bytes - offset));
    char* into = reinterpret_cast<char*>(block.words.get());
    if (m_fromFile) {
        m_stream.clear();
        if (!m_stream.seekg(static_cast<std::streamoff>(offset)) ||
            !m_stream.read(into, static_cast<std::streamsize>(count)))
            throw std::out_of_range(fmt::format("bytes {} to {} no longer in the file", offset, offset + count));
    } else {
        std::memcpy(into, m_memory.data() + offset, count);
    }
    std::memset(into + count, 0, (4 - count % 4) % 4); // the last word's missing bytes
    m_bytesRead += count;
    block.index = index;
    return block;
}
