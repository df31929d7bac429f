#include "platform/single_instance.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::filesystem::path singleInstanceLockPath(std::string_view mutexName)
{
    std::string name(mutexName);
    for (char& c : name) {
        if (c == '\\' || c == '/')
            c = '_';
    }
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path folder = (runtimeDir && *runtimeDir == '/') ? runtimeDir : "/tmp";
    return folder / (name + ".lock");
}

int acquireSingleInstance(std::string_view mutexName)
{
    const auto path = singleInstanceLockPath(mutexName);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void releaseSingleInstance(int handle)
{
    if (handle >= 0) {
        ::flock(handle, LOCK_UN);
        ::close(handle);
    }
}

} // namespace platform
