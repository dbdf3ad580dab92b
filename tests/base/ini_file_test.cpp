#include "base/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace cm {
namespace {

void put(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string get(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(IniFile, ReadsAsTheClassicReaderDoes) {
    test::TempDir dir;
    put(dir / "cm98.INI",
        "; written by hand\n"
        "Stray=before any section\n"
        "[Settings]\n"
        "Debug = 1\n"
        "Command=prog a=b =c\n"
        "Quoted=\"x y\"\n"
        "Empty=\n"
        "  Spaced Key  =  spaced value  \n"
        "NoEquals\n"
        "Größe=7\n"
        "[BrowseSchedule]\n"
        "SRCF?Browse:1=175L(2)|M~Date~@d3@\n"
        "[settings]\n"
        "Debug=2\n"
        "Later=from the repeated section\n");
    const IniFile ini(dir / "cm98.INI");

    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Settings", "Debug", "1"},
        {"SETTINGS", "debug", "1"},
        {"Settings", "Command", "prog a=b =c"},
        {"Settings", "Quoted", "\"x y\""},
        {"Settings", "Empty", ""},
        {"Settings", "Spaced Key", "spaced value"},
        {" Settings ", " Spaced Key ", "spaced value"},
        {"Settings", "GRößE", "7"},
        {"BrowseSchedule", "srcf?browse:1", "175L(2)|M~Date~@d3@"},
        {"Settings", "Later", "from the repeated section"},
        {"Settings", "NoEquals", "<default>"},
        {"Settings", "Stray", "<default>"},
        {"Settings", "Missing", "<default>"},
        {"Missing", "Debug", "<default>"},
        {"BrowseSchedule", "SRCF?Browse:2", "<default>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ini.read(c.section, c.key, "<default>"), c.expected) << c.section << "/" << c.key;
    }
}

TEST(IniFile, ReadsOtherLineEndingsAndAByteOrderMark) {
    test::TempDir dir;
    put(dir / "crlf.ini", "\xEF\xBB\xBF[Main]\r\nXPosit=10\r\nYPosit=20");
    const IniFile ini(dir / "crlf.ini");
    EXPECT_EQ(ini.read("Main", "XPosit"), "10");
    EXPECT_EQ(ini.read("Main", "YPosit"), "20");
}

TEST(IniFile, MissingFileGivesTheDefault) {
    test::TempDir dir;
    EXPECT_EQ(IniFile(dir / "none.ini").read("Main", "XPosit", "0"), "0");
    EXPECT_EQ(IniFile(dir / "none.ini").read("Main", "XPosit"), "");
    EXPECT_FALSE(fs::exists(dir / "none.ini"));
}

// Each write must change exactly one line (or add one) and leave every other byte alone.
TEST(IniFile, WriteTouchesOnlyItsLine) {
    struct Case {
        const char* name;
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"overwrite keeps comments, blanks and spacing", "; c\n\n[Main]\nXPosit = 10\n\n# x\nYPosit=20\n", "Main",
         "XPosit", "30", "; c\n\n[Main]\nXPosit = 30\n\n# x\nYPosit=20\n"},
        {"overwrite keeps the key's spelling", "[Main]\nXPosit=10\n", "main", "XPOSIT", "30", "[Main]\nXPosit=30\n"},
        {"empty value", "[Main]\nXPosit=10\nYPosit=20\n", "Main", "XPosit", "", "[Main]\nXPosit=\nYPosit=20\n"},
        {"new key after the section's last key", "[Main]\nXPosit=1\n\n; next\n[Calendar]\nXPosit=2\n", "Main", "Width",
         "5", "[Main]\nXPosit=1\nWidth=5\n\n; next\n[Calendar]\nXPosit=2\n"},
        {"new key under a bare header", "[Main]\n[Other]\na=1\n", "MAIN", "Width", "5",
         "[Main]\nWidth=5\n[Other]\na=1\n"},
        {"new key after a last line without newline", "[Main]\nXPosit=1", "Main", "Width", "5",
         "[Main]\nXPosit=1\nWidth=5\n"},
        {"new section at the end", "[Main]\nXPosit=1\n", "Setup", "Width", "5",
         "[Main]\nXPosit=1\n\n[Setup]\nWidth=5\n"},
        {"new section after a last line without newline", "[Main]\nXPosit=1", "Setup", "Width", "5",
         "[Main]\nXPosit=1\n\n[Setup]\nWidth=5\n"},
        {"new section after a blank line", "[Main]\nXPosit=1\n\n", "Setup", "Width", "5",
         "[Main]\nXPosit=1\n\n[Setup]\nWidth=5\n"},
        {"empty file", "", "Setup", "Width", "5", "[Setup]\nWidth=5\n"},
        {"CRLF kept on a new key", "[Main]\r\nXPosit=1\r\n", "Main", "Width", "5", "[Main]\r\nXPosit=1\r\nWidth=5\r\n"},
        {"CRLF kept on overwrite", "[Main]\r\nXPosit=1\r\n", "Main", "XPosit", "9", "[Main]\r\nXPosit=9\r\n"},
        {"literal key, value with '='", "[BrowseSchedule]\n", "BrowseSchedule", "SRCF?Browse:1", "175L(2)|M~a=b~",
         "[BrowseSchedule]\nSRCF?Browse:1=175L(2)|M~a=b~\n"},
        {"key found in a repeated section", "[S]\na=1\n[T]\n[s]\nb=2\n", "S", "b", "3", "[S]\na=1\n[T]\n[s]\nb=3\n"},
        {"a key before any section is no section's", "a=1\n[S]\n", "S", "a", "2", "a=1\n[S]\na=2\n"},
        {"value behind a byte-order mark", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "2", "\xEF\xBB\xBF[S]\na=2\n"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        IniFile ini(dir / "POSITION.INI");
        if (*c.before != '\0') put(ini.path(), c.before);
        ASSERT_TRUE(ini.write(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(get(ini.path()), c.after) << c.name;
        EXPECT_EQ(ini.read(c.section, c.key, "<missing>"), c.value) << c.name;
    }
}

TEST(IniFile, RefusesWhatCannotBeStoredAndKeepsTheFile) {
    test::TempDir dir;
    const std::string before = "[Main]\nXPosit=10\n";
    IniFile ini(dir / "POSITION.INI");
    put(ini.path(), before);

    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Main", "a=b", "1"}, {"Main", "a\nb", "1"}, {"Main", "XPosit", "1\n[Evil]"},
        {"Main", "", "1"},    {"Ma]in", "a", "1"},   {"", "a", "1"},
        {"Main", "[a", "1"},  {"Main", ";a", "1"},
    };
    for (const Case& c : cases) EXPECT_FALSE(ini.write(c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(get(ini.path()), before);

    put(dir / "file", "x");
    EXPECT_FALSE(IniFile(dir / "file" / "sub.ini").write("Main", "a", "1"));
    fs::create_directory(dir / "folder.ini");
    EXPECT_FALSE(IniFile(dir / "folder.ini").write("Main", "a", "1"));
}

// A batch must land byte for byte where the same writes made one call at a time would.
TEST(IniFile, BatchWriteMatchesSingleWrites) {
    const std::vector<IniEntry> batch = {
        {"Main", "XPosit", "30"},    // existing key
        {"main", "Width", "5"},      // new key in an existing section
        {"Setup", "Width", "7"},     // the same key in a new section
        {"Setup", "Height", "8"},    // a second key in the section the batch added
        {"Calendar", "XPosit", ""},  // in a later section
        {"Main", "XPosit", "31"},    // a key set twice: the last wins
    };
    for (const char* before : {"; c\n[Main]\nXPosit=10\n\n[Calendar]\nXPosit=2", "[Main]\r\nXPosit=10\r\n"}) {
        test::TempDir dir;
        IniFile single(dir / "single.ini");
        IniFile batched(dir / "batched.ini");
        put(single.path(), before);
        put(batched.path(), before);
        for (const IniEntry& e : batch) ASSERT_TRUE(single.write(e.section, e.key, e.value));
        ASSERT_TRUE(batched.write(batch));
        EXPECT_EQ(get(batched.path()), get(single.path())) << before;

        // Nothing left to change: the file is not replaced.
        struct stat was {};
        struct stat is {};
        ASSERT_EQ(stat(batched.path().c_str(), &was), 0);
        EXPECT_TRUE(batched.write(batch));
        ASSERT_EQ(stat(batched.path().c_str(), &is), 0);
        EXPECT_EQ(is.st_ino, was.st_ino) << before;
    }

    test::TempDir dir;
    IniFile ini(dir / "a.ini");
    const std::string before = "[Main]\nXPosit=10\n";
    put(ini.path(), before);
    EXPECT_FALSE(ini.write({{"Main", "XPosit", "1"}, {"New", "a", "1"}, {"Main", "a=b", "1"}}));
    EXPECT_EQ(get(ini.path()), before);
    EXPECT_TRUE(IniFile(dir / "none.ini").write(std::vector<IniEntry>{}));
    EXPECT_FALSE(fs::exists(dir / "none.ini"));
}

TEST(IniFile, ReplacesTheFileSafely) {
    test::TempDir dir;
    put(dir / "real.ini", "[Main]\nXPosit=10\n");
    fs::permissions(dir / "real.ini", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.ini", dir / "link.ini");

    IniFile ini(dir / "link.ini");
    ASSERT_TRUE(ini.write("Main", "XPosit", "20"));
    ASSERT_TRUE(ini.write("Main", "YPosit", "30"));

    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(get(dir / "real.ini"), "[Main]\nXPosit=20\nYPosit=30\n");
    struct stat st {};
    ASSERT_EQ(stat((dir / "real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"link.ini", "real.ini"}));
}

TEST(IniFile, RemoveKeyDropsOnlyThatLine) {
    test::TempDir dir;
    IniFile ini(dir / "a.ini");
    put(ini.path(), "[S]\n; keep\na=1\nb=2\n");
    EXPECT_TRUE(ini.removeKey("s", "A"));
    EXPECT_EQ(get(ini.path()), "[S]\n; keep\nb=2\n");
    EXPECT_TRUE(ini.removeKey("S", "missing"));
    EXPECT_TRUE(IniFile(dir / "none.ini").removeKey("S", "a"));
    EXPECT_FALSE(fs::exists(dir / "none.ini"));
}

TEST(IniFile, SystemIniPathFollowsXdg) {
    struct Case {
        std::map<std::string, std::string> env;
        const char* expected;
    };
    const Case cases[] = {
        {{{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg/chronomate/system.ini"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}}, "/home/u/.config/chronomate/system.ini"},
        {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.config/chronomate/system.ini"},
        {{{"HOME", "/home/u"}}, "/home/u/.config/chronomate/system.ini"},
    };
    for (const Case& c : cases) {
        const EnvLookup env = [&](const char* name) -> std::optional<std::string> {
            auto it = c.env.find(name);
            return it == c.env.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        EXPECT_EQ(IniFile::systemIniPath(env), fs::path(c.expected));
    }
}

TEST(IniFile, FreeFunctionsResolveNames) {
    test::TempDir dir;
    put(dir / "CM98.ini", "[Settings]\nDebug=1\n");
    EXPECT_EQ(readIni("Settings", "Debug", "0", "cm98.INI", dir.path()), "1");
    EXPECT_TRUE(writeIni("Settings", "LogEvents", "1", "cm98.INI", dir.path()));
    EXPECT_EQ(get(dir / "CM98.ini"), "[Settings]\nDebug=1\nLogEvents=1\n");
    EXPECT_FALSE(fs::exists(dir / "cm98.INI"));

    // An empty name is the system INI file, whose folder a first write creates.
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(readIni("Chronomate", "MaxWindows", "100", {}, dir.path()), "100");
    EXPECT_TRUE(writeIni("Chronomate", "MaxWindows", "50", {}, dir.path()));
    EXPECT_EQ(get(dir / "config" / "chronomate" / "system.ini"), "[Chronomate]\nMaxWindows=50\n");
    if (previous) {
        setenv("XDG_CONFIG_HOME", previous->c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace cm
