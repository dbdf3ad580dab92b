#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace cm::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "chronomate-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace cm::test
