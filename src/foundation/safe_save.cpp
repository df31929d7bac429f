#include "foundation/safe_save.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <pugixml.hpp>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_hookMutex;
std::function<void(const std::filesystem::path&)> g_beforeReplaceHook;

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

bool lf_writeAll(int fd, std::string_view text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

void lf_copyMode(int fd, const std::filesystem::path& from)
{
    struct stat st {};
    if (::stat(from.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777);
}

bool lf_runHook(const std::filesystem::path& temporary)
{
    std::function<void(const std::filesystem::path&)> hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = g_beforeReplaceHook;
    }
    if (!hook)
        return true;
    try {
        hook(temporary);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

std::filesystem::path gf_writeNewFile(std::string_view text, std::string pattern, const std::filesystem::path& modeOf,
                                      std::error_code& ec)
{
    ec.clear();
    const int fd = ::mkstemp(pattern.data()); // O_CREAT | O_EXCL: never a file or link already there
    if (fd < 0) {
        ec.assign(errno, std::generic_category());
        return {};
    }
    lf_copyMode(fd, modeOf);
    errno = 0;
    if (!lf_writeAll(fd, text) || ::fdatasync(fd) != 0)
        ec.assign(errno != 0 ? errno : EIO, std::generic_category()); // a write of nothing sets none
    if (::close(fd) != 0 && !ec)
        ec.assign(errno, std::generic_category());
    if (!ec)
        return pattern;
    ::unlink(pattern.c_str());
    return {};
}

bool gf_saveXmlReplacing(const pugi::xml_document& doc, const std::filesystem::path& path)
{
    StringWriter writer;
    doc.save(writer);

    // the new file keeps the permissions of the one it replaces
    std::error_code ec;
    const std::filesystem::path temporary = gf_writeNewFile(writer.text, path.string() + ".XXXXXX", path, ec);
    if (temporary.empty())
        return false;
    const bool ok = lf_runHook(temporary) && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

void gf_setBeforeReplaceHook(std::function<void(const std::filesystem::path& temporary)> hook)
{
    std::lock_guard lock(g_hookMutex);
    g_beforeReplaceHook = std::move(hook);
}
