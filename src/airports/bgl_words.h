#pragma once
// The 32-bit words of a scenery BGL file as the reader walks them, read a block at a time when the
// walk reaches the block, from the file or from bytes in memory. At most `heldBlocks` blocks are
// held: the one used longest ago makes room. The last word of a file whose size is no multiple of
// 4 holds the trailing bytes followed by zero bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string_view>

class BglWords {
public:
    static constexpr std::size_t blockWords = 8192; // 32 KiB
    static constexpr std::size_t heldBlocks = 8;

    // Bytes in memory, which must outlive the words.
    explicit BglWords(std::string_view bytes);
    // The file; no words and opened() false when it cannot be opened.
    explicit BglWords(const std::filesystem::path& path);

    bool opened() const { return m_opened; }
    std::size_t size() const { return m_size; }
    std::uint64_t bytes() const { return m_bytes; }
    std::uint64_t bytesRead() const { return m_bytesRead; }

    // Raises std::out_of_range for a word beyond the file, or for one the file no longer holds.
    std::uint32_t at(std::size_t index)
    {
        if (index >= m_size)
            beyondTheEnd(index);
        if (index / blockWords != m_last->index)
            m_last = &load(index / blockWords);
        return m_last->words[index % blockWords];
    }

private:
    struct Block {
        std::size_t index = std::numeric_limits<std::size_t>::max(); // none
        std::uint64_t used = 0;
        std::unique_ptr<std::uint32_t[]> words;
    };

    [[noreturn]] void beyondTheEnd(std::size_t index) const;
    Block& load(std::size_t index);

    std::string_view m_memory;
    std::ifstream m_stream;
    bool m_fromFile = false;
    bool m_opened = true;
    std::uint64_t m_bytes = 0;
    std::size_t m_size = 0;
    std::array<Block, heldBlocks> m_blocks;
    Block* m_last = m_blocks.data();
    std::uint64_t m_loads = 0;
    std::uint64_t m_bytesRead = 0;
};
