#include "platform/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <system_error>
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

int acquireSingleInstance(std::string_view mutexName, std::string* failure)
{
    const auto path = singleInstanceLockPath(mutexName);
    const auto lt_failed = [&](const char* what, int error) {
        if (failure != nullptr)
            *failure = std::string(what) + " " + path.string() + ": " + std::system_category().message(error);
        return -2;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return lt_failed("cannot open", errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? -1 : lt_failed("cannot lock", error);
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
