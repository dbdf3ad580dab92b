#include <gtest/gtest.h>

#include "shell/list_thumb.h"

namespace cm::test {
namespace {

std::string entryText(const ThumbTable& t, int position) { return std::get<std::string>(t.entry(position)); }

TEST(ListThumbTest, CharacterSetsAreInCodeOrder) {
    EXPECT_EQ(ThumbTable::characters(ThumbCharset::Capitals), U"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(ThumbTable::characters(ThumbCharset::Letters).size(), 52u);
    EXPECT_EQ(ThumbTable::characters(ThumbCharset::CapitalsDigitsPunctuation),
              U" !\"#$%&'()*+,-./0123456789:;=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`|~\u00A3");
}

// Worked by hand. Capitals: base 27, A = 1 ... Z = 26.
// APPLE / ZEBRA padded to 70: no common prefix; APPL = 1,16,16,12 = 31791; ZEBR = 26,5,2,18 =
// 515475; entry n = 31791 + 483684 * (n - 1) / 99.
//   n = 2: 36676 = 1,23,8,10 = AWHJ;  n = 50: 271190 = 13,21,0,2 = MU-B;
//   n = 51: 276075 = 14,0,19,0 = N-S-;  n = 99: 510589 = 25,25,10,19 = YYJS.
//   n = 46: 12,21,5,7 = LUEG;  n = 47: 13,0,24,6 = M-XF, after MUB: a dropped digit can put an
//   entry past later ones.
// Smith / SMYTHE padded to 10 (SMYTHEZZZZ): prefix "Sm" kept as written; ITH- = 9,20,8,0 =
// 191943; YTHE = 25,20,8,5 = 506876; n = 2: 195124 = 9,24,17,22 = IXQV.
// The clipboard set (base 67: blank 1, "0" 17, "=" 29, "A" 32, "£" 66) reads 2024-01 / hello
// padded with "£": 2024 = 19,17,19,21 = 5792104; HELL = 39,36,43,43 = 11894285;
// n = 50: 8812375 = 29,20,6,66 = "=3%£".
TEST(ListThumbTest, TextEntriesSpreadFourCharactersAfterTheCommonPrefix) {
    struct Case {
        const char* first;
        const char* last;
        int width;
        ThumbCharset charset;
        std::vector<std::pair<int, std::string>> entries;
    };
    const Case cases[] = {
        {"APPLE", "ZEBRA", 70, ThumbCharset::Capitals,
         {{1, "APPL"}, {2, "AWHJ"}, {50, "MUB"}, {51, "NS"}, {99, "YYJS"}, {100, "ZEBR"}}},
        {"apple", "zebra", 70, ThumbCharset::Capitals, {{1, "APPL"}, {50, "MUB"}, {100, "ZEBR"}}},
        {"Smith", "SMYTHE", 10, ThumbCharset::Capitals, {{1, "SmITH"}, {2, "SmIXQV"}, {100, "SmYTHE"}}},
        {"2024-01", "hello", 10, ThumbCharset::CapitalsDigitsPunctuation,
         {{1, "2024"}, {50, "=3%\u00A3"}, {100, "HELL"}}},
    };
    for (const Case& c : cases) {
        const ThumbTable t = ThumbTable::text(c.first, c.last, c.width, c.charset);
        EXPECT_TRUE(t.isText());
        for (const auto& [position, text] : c.entries)
            EXPECT_EQ(entryText(t, position), text) << c.first << ".." << c.last << " at " << position;
    }
}

TEST(ListThumbTest, AHighlightedValueFindsTheFirstEntryAtOrAfterIt) {
    const ThumbTable text = ThumbTable::text("APPLE", "ZEBRA", 70, ThumbCharset::Capitals);
    const std::pair<const char*, int> texts[] = {
        {"", 1}, {"appl", 1}, {"APPLE", 2}, {"lueg", 46}, {"LUEGA", 47}, {"MUB", 47}, {"ZEBR", 100}, {"zzz", 100},
    };
    for (const auto& [value, position] : texts)
        EXPECT_EQ(text.positionOf(std::string(value)), position) << value;

    const ThumbTable numbers = ThumbTable::numeric(10, 1000);
    const std::pair<std::int64_t, int> values[] = {{5, 1}, {10, 1}, {11, 2}, {500, 50}, {501, 51}, {5000, 100}};
    for (const auto& [value, position] : values) EXPECT_EQ(numbers.positionOf(value), position) << value;
}

TEST(ListThumbTest, NumericEntriesAreInterpolatedInWholeNumbers) {
    struct Case {
        std::int64_t first, last;
        std::vector<std::pair<int, std::int64_t>> entries;
    };
    const Case cases[] = {
        {10, 1000, {{1, 10}, {2, 20}, {50, 500}, {99, 990}, {100, 1000}}},
        {0, 50, {{2, 0}, {3, 1}, {99, 49}, {100, 50}}},  // 50 / 99 per step, cut to whole numbers
        {-99, 0, {{1, -99}, {2, -98}, {50, -50}, {100, 0}}},
        {7, 7, {{1, 7}, {50, 7}, {100, 7}}},
    };
    for (const Case& c : cases) {
        const ThumbTable t = ThumbTable::numeric(c.first, c.last);
        EXPECT_FALSE(t.isText());
        for (const auto& [position, value] : c.entries)
            EXPECT_EQ(std::get<std::int64_t>(t.entry(position)), value) << c.first << ".." << c.last << " at " << position;
    }
}

}  // namespace
}  // namespace cm::test
