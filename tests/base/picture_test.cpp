#include "base/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/date.h"
#include "base/time_of_day.h"

namespace cm {
namespace {

constexpr std::int32_t kOct31_1959 = 58015;
constexpr std::int32_t kFiveThirtyPm = 6300501;  // 17:30:05.00

struct PictureKindCase {
    const char* picture;
    PictureKind kind;
    int width;
};

TEST(PictureCompile, RecognisesEachKindWithOrWithoutAtAndInAnyCase) {
    const std::vector<PictureKindCase> cases = {
        {"d3", PictureKind::Date, 0},
        {"@D18", PictureKind::Date, 0},
        {"@t3", PictureKind::Time, 0},
        {"T3", PictureKind::Time, 0},
        {"@n-010.2b", PictureKind::Number, 10},
        {"N30.9", PictureKind::Number, 30},
        {"n04", PictureKind::Number, 4},
        {"s20", PictureKind::Text, 20},
        {"@S1000", PictureKind::Text, 1000},
        {"@pPage <<<#p", PictureKind::Pattern, 0},
        {"@PPage <<<#P", PictureKind::Pattern, 0},
        {"", PictureKind::Invalid, 0},
        {"@", PictureKind::Invalid, 0},
        {"d0", PictureKind::Invalid, 0},
        {"d19", PictureKind::Invalid, 0},
        {"t9", PictureKind::Invalid, 0},
        {"d3x", PictureKind::Invalid, 0},
        {"n", PictureKind::Invalid, 0},
        {"n3x", PictureKind::Invalid, 0},
        {"n3.", PictureKind::Invalid, 0},
        {"s", PictureKind::Invalid, 0},
        {"s0", PictureKind::Invalid, 0},
        {"pPage #", PictureKind::Invalid, 0},
        {"x3", PictureKind::Invalid, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const Picture p = Picture::compile(c.picture);
        EXPECT_EQ(p.kind(), c.kind);
        EXPECT_EQ(p.width(), c.width);
        EXPECT_EQ(p.text(), c.picture);
    }
    EXPECT_TRUE(Picture::compile("n-13").allowsNegative());
    EXPECT_FALSE(Picture::compile("n6").allowsNegative());
}

struct DateCase {
    const char* picture;
    const char* oct31_1959;
    const char* mar5_2026;
};

TEST(PictureDate, RendersEveryFixedPicture) {
    const std::int32_t mar5_2026 = Date::fromYmd(2026, 3, 5);
    const std::vector<DateCase> cases = {
        {"d1", "10/31/59", "03/05/26"},
        {"d2", "10/31/1959", "03/05/2026"},
        {"d3", "OCT 31,1959", "MAR 05,2026"},
        {"d4", "October 31, 1959", "March 5, 2026"},
        {"d5", "31/10/59", "05/03/26"},
        {"d6", "31/10/1959", "05/03/2026"},
        {"d7", "31 OCT 59", "05 MAR 26"},
        {"d8", "31 OCT 1959", "05 MAR 2026"},
        {"d9", "59/10/31", "26/03/05"},
        {"d10", "1959/10/31", "2026/03/05"},
        {"d11", "591031", "260305"},
        {"d12", "19591031", "20260305"},
        {"d13", "10/59", "03/26"},
        {"d14", "10/1959", "03/2026"},
        {"d15", "59/10", "26/03"},
        {"d16", "1959/10", "2026/03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(formatDate(kOct31_1959, c.picture), c.oct31_1959);
        EXPECT_EQ(formatDate(mar5_2026, c.picture), c.mar5_2026);
    }
    EXPECT_EQ(formatDate(kOct31_1959, "@D3"), "OCT 31,1959");
}

TEST(PictureDate, ZeroAndBlankAreNoDateInEveryPicture) {
    for (int i = 1; i <= 18; ++i) {
        const Picture p = Picture::compile("d" + std::to_string(i));
        SCOPED_TRACE(p.text());
        EXPECT_EQ(p.formatDate(Date::kNone), "");
        EXPECT_EQ(p.parseDate(""), Date::kNone);
        EXPECT_EQ(p.parseDate("   "), Date::kNone);
        EXPECT_EQ(p.parseDate("1959-10-31"), kOct31_1959);
        EXPECT_EQ(p.parseDate(" 2026-03-05 "), Date::fromYmd(2026, 3, 5));
    }
}

TEST(PictureDate, FullDatePicturesRoundTripAcrossTheTwoDigitYearWindow) {
    const std::int32_t first = Date::fromYmd(1950, 1, 1);
    const std::int32_t last = Date::fromYmd(2049, 12, 31);
    for (int i = 1; i <= 12; ++i) {
        const Picture p = Picture::compile("d" + std::to_string(i));
        for (std::int32_t date = first; date <= last; date += 13) {
            const std::string text = p.formatDate(date);
            ASSERT_EQ(p.parseDate(text), date) << p.text() << " " << text;
        }
        ASSERT_EQ(p.parseDate(p.formatDate(last)), last) << p.text();
    }
}

TEST(PictureDate, MonthPicturesReadAsTheFirstOfTheMonth) {
    const std::int32_t first = Date::fromYmd(1959, 10, 1);
    for (const char* picture : {"d13", "d14", "d15", "d16"})
        EXPECT_EQ(Picture::compile(picture).parseDate(formatDate(kOct31_1959, picture)), first) << picture;
}

struct ParseDateCase {
    const char* picture;
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(PictureDate, ParsesLooseSpellingsAndRejectsImpossibleDates) {
    const std::vector<ParseDateCase> cases = {
        {"d3", "oct 31,1959", kOct31_1959},
        {"d3", "Oct 31, 1959", kOct31_1959},
        {"d4", "OCTOBER 31, 1959", kOct31_1959},
        {"d7", "31 oCt 59", kOct31_1959},
        {"d1", "3/5/26", Date::fromYmd(2026, 3, 5)},
        {"d1", "10/31/1959", kOct31_1959},
        {"d1", "01/01/49", Date::fromYmd(2049, 1, 1)},
        {"d1", "01/01/50", Date::fromYmd(1950, 1, 1)},
        {"d1", "01/01/00", Date::fromYmd(2000, 1, 1)},
        {"d5", "12/31/99", std::nullopt},
        {"d6", "29/02/2024", Date::fromYmd(2024, 2, 29)},
        {"d6", "29/02/2026", std::nullopt},
        {"d6", "31/02/2026", std::nullopt},
        {"d5", "31/02/26", std::nullopt},
        {"d2", "13/01/2026", std::nullopt},
        {"d10", "2026/13/01", std::nullopt},
        {"d12", "20261301", std::nullopt},
        {"d12", "2026031", std::nullopt},
        {"d11", "2603051", std::nullopt},
        {"d3", "FOO 31,1959", std::nullopt},
        {"d1", "10/31/59x", std::nullopt},
        {"d1", "10/31/959", std::nullopt},
        {"d1", "10-31-59", std::nullopt},
        {"d3", "2026-02-31", std::nullopt},
        {"d3", "2026-13-01", std::nullopt},
        {"d3", "1700-01-01", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " " + c.text);
        EXPECT_EQ(Picture::compile(c.picture).parseDate(c.text), c.expected);
    }
}

struct TimeCase {
    const char* picture;
    const char* fiveThirty;
    const char* midnight;
    const char* noon;
    const char* almostTen;  // 09:05:59.99
};

TEST(PictureTime, RendersEveryFixedPictureAndCutsHundredths) {
    const std::int32_t almostTen = Time::fromHms(9, 5, 59, 99);
    const std::vector<TimeCase> cases = {
        {"t1", "17:30", "00:00", "12:00", "09:05"},       {"t2", "1730", "0000", "1200", "0905"},
        {"t3", "5:30PM", "12:00AM", "12:00PM", "9:05AM"}, {"t4", "17:30:05", "00:00:00", "12:00:00", "09:05:59"},
        {"t5", "173005", "000000", "120000", "090559"},   {"t6", "5:30:05PM", "12:00:00AM", "12:00:00PM", "9:05:59AM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        EXPECT_EQ(formatTime(kFiveThirtyPm, c.picture), c.fiveThirty);
        EXPECT_EQ(formatTime(Time::kMidnight, c.picture), c.midnight);
        EXPECT_EQ(formatTime(Time::fromHms(12, 0), c.picture), c.noon);
        EXPECT_EQ(formatTime(almostTen, c.picture), c.almostTen);
    }
    EXPECT_EQ(formatTime(Time::kLast, "@T4"), "23:59:59");
    for (int i = 1; i <= 8; ++i) {
        const Picture p = Picture::compile("t" + std::to_string(i));
        EXPECT_EQ(p.formatTime(Time::kNone), "") << p.text();
        EXPECT_EQ(p.parseTime("  "), Time::kNone) << p.text();
    }
}

TEST(PictureTime, FixedPicturesRoundTrip) {
    const struct {
        const char* picture;
        std::int32_t step;  // minute pictures drop the seconds
    } cases[] = {{"t1", 7 * Time::kOneMinute},  {"t2", 7 * Time::kOneMinute},  {"t3", 7 * Time::kOneMinute},
                 {"t4", 37 * Time::kOneSecond}, {"t5", 37 * Time::kOneSecond}, {"t6", 37 * Time::kOneSecond}};
    for (const auto& c : cases) {
        const Picture p = Picture::compile(c.picture);
        for (std::int32_t time = Time::kMidnight; time <= Time::kLast; time += c.step) {
            const std::string text = p.formatTime(time);
            ASSERT_EQ(p.parseTime(text), time) << c.picture << " " << text;
        }
    }
}

struct ParseTimeCase {
    const char* picture;
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(PictureTime, ParsesTwelveAndTwentyFourHourSpellings) {
    const std::int32_t fiveThirty = Time::fromHms(17, 30);
    const std::vector<ParseTimeCase> cases = {
        {"t3", "5:30 pm", fiveThirty},
        {"t3", "5:30Pm", fiveThirty},
        {"t3", " 05:30   PM ", fiveThirty},
        {"t3", "17:30", fiveThirty},
        {"t3", "17:30:05", kFiveThirtyPm},
        {"t3", "12:00 am", Time::kMidnight},
        {"t3", "12:15AM", Time::fromHms(0, 15)},
        {"t3", "12:00 PM", Time::fromHms(12, 0)},
        {"t3", "0:00", Time::kMidnight},
        {"t1", "5:30:05 pm", kFiveThirtyPm},
        {"t2", "0905", Time::fromHms(9, 5)},
        {"t2", "905", Time::fromHms(9, 5)},
        {"t2", "17:30", fiveThirty},
        {"t5", "173005", kFiveThirtyPm},
        {"t3", "13:00 pm", std::nullopt},
        {"t3", "0:30 am", std::nullopt},
        {"t3", "24:00", std::nullopt},
        {"t3", "12:60", std::nullopt},
        {"t3", "5:3", std::nullopt},
        {"t3", "5:30 xm", std::nullopt},
        {"t1", "1730", std::nullopt},
        {"t2", "2460", std::nullopt},
        {"t4", "17:30:61", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " '" + c.text + "'");
        EXPECT_EQ(Picture::compile(c.picture).parseTime(c.text), c.expected);
    }
}

struct NumberCase {
    const char* picture;
    double value;
    const char* expected;
};

// "b" gives the picture's full width of blanks, so a blank zero keeps its column.
TEST(PictureNumber, RendersWidthSignZerosDecimalsAndBlankZero) {
    const std::vector<NumberCase> cases = {
        {"n3", 5, "  5"},
        {"@n3", 100, "100"},
        {"n3", 0, "  0"},
        {"n04", 1959, "1959"},
        {"n04", 5, "0005"},
        {"n2", 1959, "1959"},
        {"N30.9", 1.5, "                   1.500000000"},
        {"n-5", -12, "  -12"},
        {"n-05", -12, "-0012"},
        {"n4b", 0, "    "},
        {"n4b", 7, "   7"},
        {"n-010.2b", -3.14159, "-000003.14"},
        {"n-010.2b", 0, "          "},
        {"n-010.2b", 0.001, "          "},
        {"n-5.2", -0.001, " 0.00"},
        {"n3", 2.5, "  3"},
        {"n3", 2.4, "  2"},
        {"n6.2", 0.125, "  0.13"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " " + std::to_string(c.value));
        EXPECT_EQ(formatNumber(c.value, c.picture), c.expected);
    }
}

struct ParseNumberCase {
    const char* picture;
    const char* text;
    std::optional<double> expected;
};

TEST(PictureNumber, ParsesBlanksSignAndPoint) {
    const std::vector<ParseNumberCase> cases = {
        {"n3", "  5 ", 5},
        {"n3", "+5", 5},
        {"n-3", "-5", -5},
        {"n-3", " - 5", -5},
        {"n3", "3.25", 3.25},
        {"n3", ".5", 0.5},
        {"n3", "5.", 5},
        {"n3", "", 0},
        {"n4b", "    ", 0},
        {"n3", "-5", std::nullopt},
        {"n3", "1,000", std::nullopt},
        {"n3", "5e3", std::nullopt},
        {"n3", ".", std::nullopt},
        {"n3", "abc", std::nullopt},
        {"n3", "1.2.3", std::nullopt},
        {"n3", "5 5", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " '" + c.text + "'");
        EXPECT_EQ(Picture::compile(c.picture).parseNumber(c.text), c.expected);
    }
}

TEST(PicturePattern, FillsDigitsFromTheRightAndNeverCuts) {
    const Picture page = Picture::compile("@pPage <<<#p");
    EXPECT_EQ(page.formatNumber(7), "Page 7");
    EXPECT_EQ(page.formatNumber(1234), "Page 1234");
    EXPECT_EQ(page.formatNumber(0), "Page 0");
    EXPECT_EQ(page.formatNumber(7.9), "Page 7");
    EXPECT_EQ(page.formatNumber(123456), "Page 123456");
    EXPECT_EQ(formatNumber(5, "p##/##p"), "00/05");
    EXPECT_EQ(formatNumber(123456789, "p###-##-####p"), "123-45-6789");

    EXPECT_EQ(page.parseNumber("Page 1234"), 1234);
    EXPECT_EQ(page.parseNumber("page 7"), 7);
    EXPECT_EQ(page.parseNumber("42"), 42);
    EXPECT_EQ(Picture::compile("p###-##-####p").parseNumber("123-45-6789"), 123456789);
    EXPECT_EQ(page.parseNumber("Chapter 7"), std::nullopt);
}

TEST(PictureText, CutsToWidthWithoutSplittingCharacters) {
    EXPECT_EQ(Picture::compile("s5").formatText("abcdefg"), "abcde");
    EXPECT_EQ(Picture::compile("s20").formatText("short"), "short");
    EXPECT_EQ(Picture::compile("s3").formatText("h\xC3\xA9llo"), "h\xC3\xA9l");
    EXPECT_EQ(Picture::compile("s1").formatText("\xE2\x82\xAC"
                                                "uro"),
              "\xE2\x82\xAC");
    EXPECT_EQ(Picture::compile("s2").formatText("\xF0\x9F\x98\x80\xF0\x9F\x98\x80z"),
              "\xF0\x9F\x98\x80\xF0\x9F\x98\x80");
}

TEST(PictureOtherKinds, ValuesStayReadableUnderAPictureOfAnotherKind) {
    EXPECT_EQ(formatDate(kOct31_1959, "n4b"), "1959");  // the "Year Only" date format
    EXPECT_EQ(formatDate(Date::kNone, "n4b"), "");
    EXPECT_EQ(formatDate(kOct31_1959, "s20"), "1959-10-31");
    EXPECT_EQ(formatDate(kOct31_1959, "bogus"), "1959-10-31");
    EXPECT_EQ(formatTime(kFiveThirtyPm, "d3"), "17:30:05");
    EXPECT_EQ(formatNumber(2.5, "d3"), "2.5");
    EXPECT_EQ(Picture::compile("n4b").parseDate("1959-10-31"), kOct31_1959);
    EXPECT_EQ(Picture::compile("n4b").parseDate("1959"), std::nullopt);
    EXPECT_EQ(Picture::compile("d3").parseTime("5:30 pm"), Time::fromHms(17, 30));
}

// Under the "C" locale; other locales only change the spelling, not the round trip.
class PictureLocale : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(usePictureLocale("C")); }
};

TEST_F(PictureLocale, DatePicturesRoundTrip) {
    for (const char* picture : {"d17", "d18"}) {
        const Picture p = Picture::compile(picture);
        EXPECT_FALSE(p.formatDate(kOct31_1959).empty()) << picture;
        const std::int32_t last = Date::fromYmd(2049, 12, 31);
        for (std::int32_t date = Date::fromYmd(1950, 1, 1); date <= last; date += 29) {
            const std::string text = p.formatDate(date);
            ASSERT_EQ(p.parseDate(text), date) << picture << " " << text;
        }
        EXPECT_EQ(p.parseDate("2026-02-31"), std::nullopt) << picture;
        EXPECT_EQ(p.parseDate("OCT 31,1959"), kOct31_1959) << picture;
    }
}

TEST_F(PictureLocale, TimePicturesRoundTrip) {
    const Picture shortTime = Picture::compile("t7");
    const Picture longTime = Picture::compile("t8");
    EXPECT_FALSE(shortTime.formatTime(kFiveThirtyPm).empty());
    EXPECT_FALSE(longTime.formatTime(kFiveThirtyPm).empty());
    EXPECT_EQ(longTime.parseTime(longTime.formatTime(kFiveThirtyPm)), kFiveThirtyPm);
    const std::int32_t fiveThirty = Time::fromHms(17, 30);
    EXPECT_EQ(shortTime.parseTime(shortTime.formatTime(fiveThirty)), fiveThirty);
    EXPECT_EQ(shortTime.parseTime("5:30 pm"), fiveThirty);
}

TEST_F(PictureLocale, UnknownLocaleIsRefusedAndTheCurrentOneKept) {
    const std::string before = formatDate(kOct31_1959, "d18");
    EXPECT_FALSE(usePictureLocale("xx_NOWHERE.UTF-8"));
    EXPECT_EQ(formatDate(kOct31_1959, "d18"), before);
}

}  // namespace
}  // namespace cm
