#include "script/key_codes_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "script/key_names.h"
#include "support/temp_dir.h"

namespace cm {
namespace {

namespace fs = std::filesystem;
using test::readFile;

// The shipped list is the generated one. When a key table changes, this writes the new list
// beside the build for scripts/gen-keycodes to copy over resources/KEYCODES.TXT.
TEST(KeyCodesFile, ShippedListIsTheGeneratedOne) {
    const fs::path shipped = fs::path(CHRONOMATE_RESOURCES) / std::string(kKeyCodesFileName);
    const std::string generated = keyCodesText();
    if (readFile(shipped) == generated) return;
    const fs::path fresh = fs::current_path() / (std::string(kKeyCodesFileName) + ".generated");
    std::ofstream(fresh, std::ios::binary) << generated;
    FAIL() << shipped << " is out of date: run scripts/gen-keycodes, or copy " << fresh << " over it";
}

TEST(KeyCodesFile, ListsEveryNameWithItsCode) {
    const std::string text = keyCodesText();
    for (const auto* list : {&KeyNames::plainNames(), &KeyNames::modifiedNames()}) {
        for (const KeyName& k : *list) {
            const std::size_t at = text.find("\n  [" + std::string(k.name) + "] ");
            ASSERT_NE(at, std::string::npos) << k.name;
            char code[8];
            std::snprintf(code, sizeof code, "0x%03X", static_cast<unsigned>(k.code));
            const std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
            EXPECT_NE(line.find(code), std::string::npos) << line;
        }
    }
    for (const char* line : {"[PAUSE]", "[[]", "[HOME] types HOME"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST(KeyCodesFile, InstalledOnlyWhenMissing) {
    test::TempDir dir;
    const fs::path file = dir / std::string(kKeyCodesFileName);
    ASSERT_TRUE(installKeyCodesFile(dir.path()));
    EXPECT_EQ(readFile(file), keyCodesText());

    std::ofstream(file, std::ios::binary | std::ios::trunc) << "my own notes\n";
    ASSERT_TRUE(installKeyCodesFile(dir.path()));
    EXPECT_EQ(readFile(file), "my own notes\n");

    // A folder that cannot be written to: no list, nothing left behind, no crash.
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    ::chmod(locked.c_str(), 0500);
    if (::access(locked.c_str(), W_OK) != 0) {
        EXPECT_FALSE(installKeyCodesFile(locked));
        EXPECT_TRUE(fs::is_empty(locked));
    }
    EXPECT_FALSE(installKeyCodesFile(dir / "missing"));
    ::chmod(locked.c_str(), 0700);
}

}  // namespace
}  // namespace cm
