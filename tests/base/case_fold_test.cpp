#include <gtest/gtest.h>

#include "base/case_fold.h"
#include "base/fixed_text.h"

namespace cm {
namespace {

TEST(CaseFoldTest, KeyComparison) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"Müller", "MÜLLER", 0},   {"abc", "ABC   ", 0},     {"  abc", "abc", -1},   {"Straße", "STRASSE", 1},
        {"ΣΊΣΥΦΟΣ", "σίσυφος", 0}, {"Ǆemal", "ǆEMAL", 0},    {"apple", "Banana", -1}, {"", "   ", 0},
        {"a", "", 1},              {"Zürich", "Zurich", 1},   {"ÉCOLE", "école", 0},  {"Д", "д", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CaseFold::compare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(CaseFold::compare(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(CaseFoldTest, InvalidUtf8ComparesDeterministically) {
    const std::string bad = "a\xFF" "b";
    EXPECT_EQ(CaseFold::compare(bad, "A\xFF" "B"), 0);
    EXPECT_EQ(CaseFold::compare(bad, "a\xC3"), 1);
    EXPECT_EQ(CaseFold::fold(bad), bad);
}

TEST(FixedTextTest, CutsAtCharactersNotBytes) {
    struct Case {
        const char* text;
        std::size_t width;
        const char* expected;
    };
    const Case cases[] = {
        {"Hello", 3, "Hel"},     {"Müller", 2, "Mü"}, {"Müller", 1, "M"}, {"€€€", 2, "€€"},
        {"short", 10, "short"},  {"", 4, ""},         {"日本語テキスト", 3, "日本語"},
    };
    for (const Case& c : cases) EXPECT_EQ(FixedText::cut(c.text, c.width), c.expected);
    EXPECT_EQ(FixedText::stored("ab   cd  ", 6), "ab   c");
    EXPECT_EQ(FixedText::stored("ab    cd", 5), "ab");
    EXPECT_EQ(FixedText::characterCount("Müller"), 6u);
}

TEST(FixedTextTest, TextTypeComparesWithoutTrailingBlanks) {
    Text<5> t = "abcdefgh";
    EXPECT_EQ(t.str(), "abcde");
    EXPECT_TRUE(Text<5>("ab ") == Text<5>("ab"));
    EXPECT_FALSE(Text<5>("ab") == Text<5>("AB"));
    EXPECT_TRUE(FixedText::equalNoCase("ab ", "AB"));
    EXPECT_TRUE(Text<3>("   ").empty());
}

}  // namespace
}  // namespace cm
