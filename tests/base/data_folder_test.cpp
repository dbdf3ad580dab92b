#include "base/data_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <vector>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace cm {
namespace {

// "@" stands for the test's temporary folder.
std::string expand(const std::string& text, const fs::path& root) {
    return !text.empty() && text.front() == '@' ? root.string() + text.substr(1) : text;
}

TEST(DataFolder, ResolvesInOrderOfPrecedence) {
    struct Case {
        const char* name;
        std::optional<std::string> arg;
        std::map<std::string, std::string> env;
        const char* expected;
    };
    const std::map<std::string, std::string> all = {
        {"CHRONOMATE_HOME", "@/ch"}, {"XDG_DATA_HOME", "@/xdg"}, {"HOME", "@/home"}};
    const Case cases[] = {
        {"argument first", "@/arg", all, "@/arg"},
        {"then CHRONOMATE_HOME", std::nullopt, all, "@/ch"},
        {"then XDG_DATA_HOME", std::nullopt, {{"XDG_DATA_HOME", "@/xdg"}, {"HOME", "@/home"}}, "@/xdg/chronomate"},
        {"then HOME", std::nullopt, {{"HOME", "@/home"}}, "@/home/.local/share/chronomate"},
        {"empty variables count as unset",
         std::nullopt,
         {{"CHRONOMATE_HOME", ""}, {"XDG_DATA_HOME", ""}, {"HOME", "@/home"}},
         "@/home/.local/share/chronomate"},
        {"a relative XDG_DATA_HOME is ignored",
         std::nullopt,
         {{"XDG_DATA_HOME", "rel"}, {"HOME", "@/home"}},
         "@/home/.local/share/chronomate"},
        {"made canonical", "@/arg/../other/./", all, "@/other"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const fs::path root = fs::canonical(dir.path());
        const EnvLookup env = [&](const char* name) -> std::optional<std::string> {
            auto it = c.env.find(name);
            if (it == c.env.end()) return std::nullopt;
            return expand(it->second, root);
        };
        std::optional<std::string> arg;
        if (c.arg) arg = expand(*c.arg, root);

        const DataFolderResult result = DataFolder::resolve(arg, env);
        ASSERT_TRUE(result.ok()) << c.name << ": " << result.error;
        EXPECT_EQ(result.path, fs::path(expand(c.expected, root))) << c.name;
        EXPECT_TRUE(fs::is_directory(result.path)) << c.name;
    }
}

TEST(DataFolder, ReportsAFolderItCannotUse) {
    test::TempDir dir;
    std::ofstream(dir / "file") << "x";
    const auto noEnv = [](const char*) -> std::optional<std::string> { return std::nullopt; };

    struct Case {
        std::string arg;
        std::string mentions;
    };
    const Case cases[] = {
        {"", "--data-dir"},
        {(dir / "file").string(), "not a folder"},
        {(dir / "file" / "sub").string(), (dir / "file" / "sub").string()},
    };
    for (const Case& c : cases) {
        const DataFolderResult result = DataFolder::resolve(c.arg, noEnv);
        EXPECT_FALSE(result.ok()) << c.arg;
        EXPECT_NE(result.error.find(c.mentions), std::string::npos) << result.error;
    }
    EXPECT_EQ(std::ifstream(dir / "file").get(), 'x');
}

TEST(DataFolder, MakeCurrentChangesFolder) {
    test::TempDir dir;
    const fs::path before = fs::current_path();
    ASSERT_TRUE(DataFolder::makeCurrent(dir.path()));
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    fs::current_path(before);

    std::string error;
    EXPECT_FALSE(DataFolder::makeCurrent(dir / "missing", &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(fs::current_path(), before);
}

TEST(DataFolder, TakesTheDataDirArgument) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> value;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        {{"cm", "--data-dir", "/d", "run"}, "/d", {"cm", "run"}},
        {{"cm", "list", "--data-dir=/d"}, "/d", {"cm", "list"}},
        {{"cm", "run"}, std::nullopt, {"cm", "run"}},
        {{"cm", "--data-dir", "/a", "--data-dir=/b"}, "/b", {"cm"}},
        {{"cm", "--data-dir"}, "", {"cm"}},
        {{"cm", "--data-dir="}, "", {"cm"}},
        {{"cm", "--data-directory"}, std::nullopt, {"cm", "--data-directory"}},
        {{"cm", "add", "--", "--data-dir", "/x"}, std::nullopt, {"cm", "add", "--", "--data-dir", "/x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> storage = c.args;
        std::vector<char*> argv;
        for (std::string& arg : storage) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(storage.size());

        EXPECT_EQ(DataFolder::takeDataDirArgument(argc, argv.data()), c.value) << c.args.size();
        std::vector<std::string> rest(argv.begin(), argv.begin() + argc);
        EXPECT_EQ(rest, c.rest);
        EXPECT_EQ(argv[argc], nullptr);
    }
}

TEST(DataFolder, FindsFilesIgnoringCase) {
    test::TempDir dir;
    for (const char* name : {"CM97.TPS", "cm98.ini", "a.ini", "A.ini"}) std::ofstream(dir / name) << "";

    struct Case {
        const char* asked;
        const char* found;
    };
    const Case cases[] = {
        {"cm97.tps", "CM97.TPS"}, {"CM98.INI", "cm98.ini"},         {"CM97.TPS", "CM97.TPS"}, {"a.ini", "a.ini"},
        {"A.INI", "A.ini"},       {"POSITION.INI", "POSITION.INI"}, {"cm97.tp", "cm97.tp"},   {"É.ini", "É.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFolder::findFileIgnoringCase(dir.path(), c.asked), dir / c.found) << c.asked;
    }
    EXPECT_EQ(DataFolder::findFileIgnoringCase(dir / "missing", "x.ini"), dir / "missing" / "x.ini");
}

}  // namespace
}  // namespace cm
