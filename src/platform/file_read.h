#pragma once
// Reading a file in one go: open, read, close (the stand-in of CreateFileW, ReadFile and
// CloseHandle), without the stream machinery, so that many threads read many small files cheaply.
#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>

namespace platform {

struct FileRead {
    bool opened = false; // false: the file could not be opened (error holds why)
    int error = 0;       // the system's error number; 0 when read to its end or to the limit
};

// Replaces `bytes` with the file's bytes, at most `limit` of them; after a read error the bytes
// read before it stay.
FileRead readFile(const std::filesystem::path& path, std::string& bytes,
                  std::size_t limit = std::numeric_limits<std::size_t>::max());

} // namespace platform
