#pragma once
// Each test works in a folder of its own: it becomes the current folder, HOME and the XDG
// folders point into it, and everything is put back afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace testsupport {

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The file written whole, its folders made where missing.
inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::absolute(path).parent_path(), ignored);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class TempFolder {
public:
    // made in `base`, by default the system's folder for temporary files (TMPDIR)
    explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path())
    {
        std::string pattern = (base / "trwk-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
        setEnv("HOME", (m_path / "home").string());
        setEnv("XDG_CONFIG_HOME", (m_path / "home" / ".config").string());
        setEnv("XDG_DATA_HOME", (m_path / "home" / ".local" / "share").string());
        setEnv("XDG_RUNTIME_DIR", (m_path / "run").string());
        std::filesystem::create_directories(m_path / "home" / ".config");
        std::filesystem::create_directories(m_path / "home" / ".local" / "share");
        std::filesystem::create_directories(m_path / "run");
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::current_path(m_previous, ec);
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Sets (or with nullopt removes) an environment variable until the folder goes.
    void setEnv(const std::string& name, std::optional<std::string> value)
    {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace testsupport
