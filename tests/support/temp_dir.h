#pragma once

#include <filesystem>
#include <string>

namespace cm::test {

// A fresh folder under the system temp folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The whole file as bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace cm::test
