#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cm {
namespace {

using Words = std::vector<std::string>;

struct WordCase {
    const char* text;
    Words words;
};

TEST(CommandLine, SplitsWordsAsAShellDoesWithoutExpanding) {
    const WordCase cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"a  b\tc\nd", {"a", "b", "c", "d"}},
        {"  lead trail  ", {"lead", "trail"}},
        {"'a b' \"c d\"", {"a b", "c d"}},
        {"pre'mid dle'post\"x y\"", {"premid dlepostx y"}},
        {"'' \"\" x", {"", "", "x"}},
        {"a '' b", {"a", "", "b"}},
        {R"(a\ b c\\d \'e\")", {"a b", "c\\d", "'e\""}},
        {R"("q\"uote" "back\\slash" "keep\n\x")", {"q\"uote", "back\\slash", "keep\\n\\x"}},
        {R"('single \ and "double" stay')", {"single \\ and \"double\" stay"}},
        {"'runs to the end", {"runs to the end"}},
        {"x \"unbalanced 'inner' rest", {"x", "unbalanced 'inner' rest"}},
        {"trailing\\", {"trailing\\"}},
        {"$HOME ~ *.txt `cmd` $(x)", {"$HOME", "~", "*.txt", "`cmd`", "$(x)"}},
        {"C:\\tools\\x.exe", {"C:toolsx.exe"}},
    };
    for (const WordCase& c : cases) EXPECT_EQ(CommandLine::splitWords(c.text), c.words) << c.text;
}

TEST(CommandLine, KeepsLongParametersWhole) {
    const std::string long1(300, 'a');
    const std::string long2(200, 'b');
    EXPECT_EQ(CommandLine::splitWords(long1 + " " + long2), (Words{long1, long2}));
}

struct ReadingCase {
    const char* command;
    std::vector<ProgramCall> readings;
};

TEST(CommandLine, ReadsWholeCommandThenFirstSplitThenBlanksFromTheRight) {
    const ReadingCase cases[] = {
        {"prog", {{"prog", {}}}},
        {"prog   ", {{"prog", {}}}},
        {"/my tools/run a b",
         {{"/my tools/run a b", {}},
          {"/my", {"tools/run", "a", "b"}},
          {"/my tools/run a", {"b"}},
          {"/my tools/run", {"a", "b"}}}},
        {"a  b",  // the walk's two blanks give one reading
         {{"a  b", {}}, {"a", {"b"}}}},
        {"\"/my tools/run\" 'x y' z",
         {{"\"/my tools/run\" 'x y' z", {}},
          {"/my tools/run", {"x y", "z"}},
          {"\"/my tools/run\" 'x y'", {"z"}},
          {"\"/my tools/run\" 'x", {"y z"}},
          {"\"/my tools/run\"", {"x y", "z"}},
          {"\"/my", {"tools/run 'x y' z"}}}},
        {"\"/no close quote", {{"\"/no close quote", {}}, {"/no close quote", {}}}},
        {"\"/quoted\"", {{"\"/quoted\"", {}}, {"/quoted", {}}}},
        {"", {}},
    };
    for (const ReadingCase& c : cases) EXPECT_EQ(CommandLine::readings(c.command), c.readings) << c.command;
}

TEST(CommandLine, TellsUrlsFromPaths) {
    EXPECT_TRUE(CommandLine::isUrl("https://example.org/a?b=c"));
    EXPECT_TRUE(CommandLine::isUrl("mailto:someone@example.org"));
    EXPECT_FALSE(CommandLine::isUrl("C:\\tools\\x.exe"));
    EXPECT_FALSE(CommandLine::isUrl("/usr/bin/env"));
    EXPECT_FALSE(CommandLine::isUrl("https://example.org/a b"));
    EXPECT_FALSE(CommandLine::isUrl("1http://x"));
    EXPECT_FALSE(CommandLine::isUrl("http:"));
}

}  // namespace
}  // namespace cm
