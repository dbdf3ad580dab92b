#include <gtest/gtest.h>

#include "shell/list_format.h"

namespace cm::test {
namespace {

constexpr const char* kTitleList = "175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d3@80R(2)|M~Time~C(0)@t3@";
constexpr const char* kScriptList = "84L(2)|M~Action~@s20@320L(2)|M~Details~@s80@";

TEST(ListFormatTest, ParsesTheDesignedLists) {
    struct Column {
        int width;
        ColumnAlign align;
        int indent;
        const char* title;
        ColumnAlign titleAlign;
        const char* picture;
        const char* rest;
    };
    struct Case {
        const char* format;
        std::vector<Column> columns;
    };
    using A = ColumnAlign;
    const Case cases[] = {
        {kTitleList,
         {{175, A::Left, 2, "Title", A::Left, "s70", "L(2)|M~Title~@s70@"},
          {45, A::Right, 2, "Date", A::Center, "d3", "R(2)|M~Date~C(0)@d3@"},
          {80, A::Right, 2, "Time", A::Center, "t3", "R(2)|M~Time~C(0)@t3@"}}},
        {kScriptList,
         {{84, A::Left, 2, "Action", A::Left, "s20", "L(2)|M~Action~@s20@"},
          {320, A::Left, 2, "Details", A::Left, "s80", "L(2)|M~Details~@s80@"}}},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto format = ListFormat::parse(c.format, &error);
        ASSERT_TRUE(format) << c.format << ": " << error;
        ASSERT_EQ(format->columns().size(), c.columns.size()) << c.format;
        for (std::size_t i = 0; i < c.columns.size(); ++i) {
            const ListColumn& got = format->columns()[i];
            const Column& want = c.columns[i];
            EXPECT_EQ(got.width, want.width) << c.format << " column " << i;
            EXPECT_EQ(got.align, want.align) << c.format << " column " << i;
            EXPECT_EQ(got.indent, want.indent) << c.format << " column " << i;
            EXPECT_TRUE(got.rightBorder && got.resizable && !got.icon) << c.format << " column " << i;
            EXPECT_EQ(got.title, want.title) << c.format << " column " << i;
            EXPECT_EQ(got.titleAlign, want.titleAlign) << c.format << " column " << i;
            EXPECT_EQ(got.titleIndent, 0) << c.format << " column " << i;
            EXPECT_EQ(got.picture, want.picture) << c.format << " column " << i;
            EXPECT_EQ(got.rest, want.rest) << c.format << " column " << i;
        }
        EXPECT_EQ(format->text(), c.format);
    }
}

TEST(ListFormatTest, ModifiersComeInAnyOrderAndTheTitleHasItsOwnAlignment) {
    const auto format = ListFormat::parse("20DI_/F?*Y#3#Z(2)M|~Due~R(-1)@n3@12C~~");
    ASSERT_TRUE(format);
    ASSERT_EQ(format->columns().size(), 2u);
    const ListColumn& a = format->columns()[0];
    EXPECT_EQ(a.align, ColumnAlign::Decimal);
    EXPECT_TRUE(a.icon && a.resizable && a.rightBorder);
    EXPECT_EQ(a.title, "Due");
    EXPECT_EQ(a.titleAlign, ColumnAlign::Right);
    EXPECT_EQ(a.titleIndent, -1);
    EXPECT_EQ(a.picture, "n3");
    const ListColumn& b = format->columns()[1];
    EXPECT_EQ(b.align, ColumnAlign::Center);
    EXPECT_FALSE(b.icon || b.resizable || b.rightBorder);
    EXPECT_EQ(b.titleAlign, ColumnAlign::Center);  // none given: the column's own
    EXPECT_EQ(b.picture, "");
}

TEST(ListFormatTest, NewWidthsGoBackOutInTheSameNotation) {
    auto format = ListFormat::parse(kTitleList);
    ASSERT_TRUE(format);
    const ListFormat designed = *format;
    format->setWidth(0, 200);
    format->setWidth(2, 9);
    const std::string saved = format->text();
    EXPECT_EQ(saved, "200L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d3@9R(2)|M~Time~C(0)@t3@");
    const auto restored = ListFormat::parse(saved);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->text(), saved);
    EXPECT_EQ(restored->columns()[0].width, 200);
    EXPECT_TRUE(restored->sameColumns(designed));

    // Leading zeros survive until that width changes.
    auto padded = ListFormat::parse("045L~A~");
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->text(), "045L~A~");
    padded->setWidth(0, 46);
    EXPECT_EQ(padded->text(), "46L~A~");

    EXPECT_FALSE(ListFormat::parse("175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d17@80R(2)|M~Time~C(0)@t3@")
                     ->sameColumns(designed));
    EXPECT_FALSE(ListFormat::parse("175L(2)|M~Title~@s70@")->sameColumns(designed));
}

TEST(ListFormatTest, DatePicturesTakeTheSetting) {
    struct Case {
        const char* format;
        const char* picture;
        const char* expected;
    };
    const Case cases[] = {
        {kTitleList, "d17", "175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d17@80R(2)|M~Time~C(0)@t3@"},
        {"40L~A~@D6@40L~B~@d3@", "@d1", "40L~A~@d1@40L~B~@d1@"},
        {"40L~@dates@~@s20@", "d17", "40L~@dates@~@s20@"},  // a title is no picture
        {kScriptList, "d17", kScriptList},
    };
    for (const Case& c : cases) EXPECT_EQ(ListFormat::withDatePicture(c.format, c.picture), c.expected) << c.format;
}

TEST(ListFormatTest, MalformedTextsAreRefusedWithAReason) {
    const char* const cases[] = {
        "",                       // no column
        "L(2)|M~Title~@s70@",     // no width
        "175",                    // no alignment
        "175X",                   // not an alignment
        "175L(2",                 // indent not closed
        "175L(x)",                // indent not a number
        "175L|M~Title",           // title not closed
        "175L~Title~@s70",        // picture not closed
        "175L#3",                 // field number not closed
        "175LZ2",                 // style without its number
        "175L~T~@s70@ 45R",       // a blank between columns
        "175L~T~@s70@x",          // a stray letter
        "99999L",                 // width out of range
    };
    for (const char* text : cases) {
        std::string error;
        EXPECT_FALSE(ListFormat::parse(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace cm::test
