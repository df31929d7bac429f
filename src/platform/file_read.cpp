#include "platform/file_read.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileRead readFile(const std::filesystem::path& path, std::string& bytes, std::size_t limit)
{
    bytes.clear();
    FileRead result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    result.opened = true;
    // room for the whole file and one byte more, so that the read that finds the end needs no growth
    struct stat info {};
    std::size_t room = 4096;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        room = static_cast<std::size_t>(info.st_size) + 1;
    bytes.resize(std::min(room, limit));
    std::size_t size = 0;
    while (size < limit) {
        if (size == bytes.size())
            bytes.resize(std::min(limit, std::max<std::size_t>(2 * size, 4096)));
        const ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.error = errno;
            break;
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    bytes.resize(size);
    ::close(fd);
    return result;
}

} // namespace platform
