#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace cm::bench {

// One folder per store size, built once for the whole run and removed at its end.
class BenchFolders {
public:
    ~BenchFolders() {
        std::error_code ec;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
    }
    std::filesystem::path folder(const std::string& name) {
        if (m_root.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "chronomate-bench-XXXXXX").string();
            m_root = mkdtemp(pattern.data());
        }
        std::filesystem::create_directories(m_root / name);
        return m_root / name;
    }

private:
    std::filesystem::path m_root;
};

inline BenchFolders& folders() {
    static BenchFolders f;
    return f;
}

}  // namespace cm::bench
