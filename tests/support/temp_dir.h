#pragma once
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace tieba::test {

// A fresh empty directory that is the current directory for the object's lifetime (the data
// file lives in the current directory). The previous directory is restored and the folder
// removed on destruction.
class ScopedTempDir {
public:
    ScopedTempDir() : previous_(std::filesystem::current_path())
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tieba-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary directory");
        path_ = pattern;
        std::filesystem::current_path(path_);
    }
    ~ScopedTempDir()
    {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of a file inside the directory.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

} // namespace tieba::test
