#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/date.h"
#include "base/fixed_text.h"
#include "base/time_of_day.h"
#include "engine/holiday_calendar.h"
#include "engine/recurrence.h"
#include "support/fake_runtime.h"

#ifndef CHRONOMATE_TEST_DATA
#error "CHRONOMATE_TEST_DATA must name the tests/data folder"
#endif

namespace cm::test {
namespace {

// One case file of tests/data/recurrence (the format is described in its README.md).
struct GoldenCase {
    std::string name;
    ScheduleRecord task;
    Moment from;
    std::vector<std::string> expected;
    std::vector<std::pair<std::int32_t, bool>> fits;
    std::vector<HolidayRecord> holidays;
    std::vector<std::pair<std::string, std::string>> stored;
};

std::string trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

std::int32_t parseDate(const std::string& text) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) return Date::kNone;
    return Date::fromYmd(y, m, d);
}

std::int32_t parseTime(const std::string& text) {
    int h = 0, m = 0, s = 0, cc = 0;
    const int n = std::sscanf(text.c_str(), "%d:%d:%d.%d", &h, &m, &s, &cc);
    return n >= 2 ? Time::fromHms(h, m, s, cc) : Time::kNone;
}

Moment parseMoment(const std::string& text) {
    const auto space = text.find(' ');
    return {parseDate(text.substr(0, space)), parseTime(trim(text.substr(space + 1)))};
}

std::string formatMoment(std::int32_t date, std::int32_t time) {
    const YearMonthDay d = Date::toYmd(date);
    const HourMinuteSecond t = Time::toHms(time);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

const FieldDef* scheduleField(std::string name) {
    if (name.rfind("SCH:", 0) != 0 && name.rfind("sch:", 0) != 0) name = "SCH:" + name;
    for (const FieldDef& f : scheduleLayout().fields)
        if (FixedText::equalNoCase(f.name, name)) return &f;
    return nullptr;
}

std::string fieldValue(const ScheduleRecord& task, const FieldDef& f) {
    return f.isText() ? f.getText(&task) : std::to_string(f.getInt(&task));
}

GoldenCase load(const std::filesystem::path& file) {
    GoldenCase c;
    c.name = file.stem().string();
    std::ifstream in(file);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string where = file.filename().string() + ":" + std::to_string(number);
        line = trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        const auto space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space + 1));
        if (word == "from") {
            c.from = parseMoment(rest);
        } else if (word == "next") {
            c.expected.push_back(rest);
        } else if (word == "copy") {
            c.expected.push_back("copy " + rest);
        } else if (word == "done") {
            c.expected.push_back("done");
        } else if (word == "fits") {
            const auto at = rest.find(' ');
            c.fits.emplace_back(parseDate(rest.substr(0, at)), trim(rest.substr(at + 1)) == "yes");
        } else if (word == "holiday") {
            const auto at = rest.find(' ');
            HolidayRecord h;
            h.holidayDate = parseDate(rest.substr(0, at));
            h.annual = at != std::string::npos && trim(rest.substr(at + 1)) == "annual";
            c.holidays.push_back(h);
        } else if (word == "stored") {
            const auto eq = rest.find('=');
            c.stored.emplace_back(trim(rest.substr(0, eq)), trim(rest.substr(eq + 1)));
        } else if (const auto eq = line.find('='); eq != std::string::npos) {
            const FieldDef* f = scheduleField(trim(line.substr(0, eq)));
            if (f == nullptr) throw std::runtime_error(where + ": no Schedule field " + line);
            const std::string value = trim(line.substr(eq + 1));
            if (f->isText())
                f->setText(&c.task, value);
            else if (f->type == FieldType::Date)
                f->setInt(&c.task, parseDate(value));
            else if (f->type == FieldType::Time)
                f->setInt(&c.task, parseTime(value));
            else
                f->setInt(&c.task, std::stoll(value));
        } else {
            throw std::runtime_error(where + ": cannot read " + line);
        }
    }
    return c;
}

std::vector<std::filesystem::path> caseFiles() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(CHRONOMATE_TEST_DATA) / "recurrence"))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class RecurrenceGolden : public ::testing::TestWithParam<std::filesystem::path> {};

// Each occurrence is handled one second after it falls due, as the monitor's reschedule
// would: NextOccurrence from that moment, then the exceptions.
TEST_P(RecurrenceGolden, MatchesExpectedOccurrences) {
    GoldenCase c = load(GetParam());
    ASSERT_FALSE(c.expected.empty() && c.fits.empty()) << c.name << " expects nothing";
    FakeRuntime runtime;
    Recurrence recurrence(runtime);
    MemoryHolidayCalendar holidays(c.holidays);

    for (const auto& [date, fits] : c.fits)
        EXPECT_EQ(Recurrence::dateFitsScheduleType(c.task, date), fits) << formatMoment(date, Time::kMidnight);

    ScheduleRecord& task = c.task;
    Moment handled = c.from;
    std::vector<std::string> got;
    while (got.size() < c.expected.size()) {
        const Moment reference = handled.date > task.date && task.skipIfMissed ? Moment{handled.date, 0} : handled;
        recurrence.nextOccurrence(task, reference);
        if (task.completed) {
            got.push_back("done");
            break;
        }
        task.skipNextTime = 0;
        const ExceptionOutcome out = recurrence.applyExceptions(task, holidays, handled.date);
        got.push_back(formatMoment(task.date, task.time) + (task.skipNextTime ? " skip" : ""));
        if (out.oneTimeCopy) got.push_back("copy " + formatMoment(out.oneTimeCopy->date, out.oneTimeCopy->time));
        handled = Moment{task.date, task.time}.plusHundredths(Time::kOneSecond);
    }
    EXPECT_EQ(got, c.expected);

    for (const auto& [name, value] : c.stored) {
        const FieldDef* f = scheduleField(name);
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(fieldValue(task, *f), value) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Recurrence, RecurrenceGolden, ::testing::ValuesIn(caseFiles()),
                         [](const ::testing::TestParamInfo<std::filesystem::path>& info) {
                             std::string name = info.param.stem().string();
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace cm::test
