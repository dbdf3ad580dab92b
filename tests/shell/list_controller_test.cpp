#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "base/case_fold.h"
#include "base/picture.h"
#include "shell/list_controller.h"
#include "store/table_name.h"
#include "store/tables/holiday_record.h"
#include "store/tables/window_lookup_record.h"
#include "store/warning_reporter.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace cm::test {
namespace {

using WindowLookupTable = Table<WindowLookupRecord>;
using HolidayTable = Table<HolidayRecord>;
constexpr const char* kWindowLookupName = "CM97\\!WL";
constexpr const char* kHolidaysName = "CM97\\!Hol";
constexpr int kTitles = 100000;
constexpr int kPage = 30;
constexpr std::int32_t kFirstDate = 80000;
constexpr int kDays = 365;

std::vector<std::string> shownTitles(const ListController& list) {
    std::vector<std::string> out;
    for (const ListRow& row : list.rows()) out.push_back(row.cells.at(0));
    return out;
}

std::vector<std::int64_t> shownDates(const ListController& list) {
    std::vector<std::int64_t> out;
    for (const ListRow& row : list.rows()) out.push_back(std::get<std::int64_t>(row.key.at(0)));
    return out;
}

char32_t firstFolded(const std::string& text) {
    std::size_t pos = 0;
    return CaseFold::foldCodePoint(decodeUtf8(text, pos));
}

ListDesign windowLookupDesign() {
    ListDesign d;
    d.format = "175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d3@80R(2)|M~Time~C(0)@t3@";
    d.fields = {"WL:Title", "WL:Date", "WL:Time"};
    d.tabs = {{"Title", "WL:KeyTitle", {}, {}}, {"By Date", "WL:KeyDate", {}, {}}};
    d.buttons = {{"&Add", ListAction::Insert}, {"&Edit", ListAction::Change, 0, true}, {"&Delete", ListAction::Delete, 0, true}};
    return d;
}

// 10^5 window titles of mixed case, written once for the whole suite; each test walks them
// through a handle of its own.
class WindowListTest : public ::testing::Test {
protected:
    struct Title {
        std::string title;
        std::int32_t date = 0;
        std::int32_t time = 0;
        std::int64_t rec = 0;
    };

    static void SetUpTestSuite() {
        s_dir = std::make_unique<TempDir>();
        StoreFiles::setDataFolder(s_dir->path());
        WindowLookupTable t(windowLookupLayout(), kWindowLookupName);
        ASSERT_EQ(t.create(), 0) << t.lastError().text;
        ASSERT_EQ(t.open(), 0) << t.lastError().text;
        std::mt19937 random(7);
        ASSERT_EQ(t.stream(), 0);
        for (int i = 0; i < kTitles; ++i) {
            std::string word(4 + random() % 5, ' ');
            for (char& c : word) c = static_cast<char>('a' + random() % 26);
            if (random() % 2 != 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
            t.record() = {word + " " + std::to_string(i), kFirstDate + i % kDays, (i * 7919) % 8640000};
            ASSERT_EQ(t.add(), 0) << t.lastError().text;
            s_byTitle.push_back({t.record().title, t.record().date, t.record().time, t.recordNumber()});
        }
        ASSERT_EQ(t.flush(), 0);
        t.close();
        s_byDate = s_byTitle;
        std::sort(s_byTitle.begin(), s_byTitle.end(),
                  [](const Title& a, const Title& b) { return CaseFold::compare(a.title, b.title) < 0; });
        std::sort(s_byDate.begin(), s_byDate.end(), [](const Title& a, const Title& b) {
            if (a.date != b.date) return a.date < b.date;
            if (a.time != b.time) return a.time < b.time;
            if (const int c = CaseFold::compare(a.title, b.title); c != 0) return c < 0;
            return a.rec < b.rec;
        });
    }

    static void TearDownTestSuite() {
        TestStore::close({});
        s_dir.reset();
        s_byTitle.clear();
        s_byDate.clear();
    }

    void SetUp() override {
        StoreFiles::setDataFolder(s_dir->path());
        ASSERT_EQ(wl.open(), 0) << wl.lastError().text;
    }

    std::unique_ptr<ListController> openList(ListDesign design = windowLookupDesign()) {
        auto list = std::make_unique<ListController>(wl, std::move(design), reporter);
        list->setPageSize(kPage);
        EXPECT_TRUE(list->open());
        return list;
    }

    static std::vector<std::string> titles(const std::vector<Title>& order, std::size_t from,
                                           std::size_t count = kPage) {
        std::vector<std::string> out;
        for (std::size_t i = from; i < from + count && i < order.size(); ++i) out.push_back(order[i].title);
        return out;
    }

    // Where the first title at or after a value stands in the title order.
    static std::size_t titleAtOrAfter(const std::string& value) {
        return static_cast<std::size_t>(
            std::partition_point(s_byTitle.begin(), s_byTitle.end(),
                                 [&](const Title& t) { return CaseFold::compare(t.title, value) < 0; }) -
            s_byTitle.begin());
    }

    static inline std::unique_ptr<TempDir> s_dir;
    static inline std::vector<Title> s_byTitle, s_byDate;
    static constexpr std::size_t kLast = kTitles - kPage;

    WindowLookupTable wl{windowLookupLayout(), kWindowLookupName};
    FakeRuntime runtime;
    WarningReporter reporter{runtime};
};

TEST_F(WindowListTest, PagesScrollByLineAndPageAndFillFromBothEnds) {
    auto list = openList();
    ASSERT_EQ(list->rows().size(), static_cast<std::size_t>(kPage));
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    const Title& first = s_byTitle[0];
    EXPECT_EQ(list->rows()[0].cells,
              (std::vector<std::string>{first.title, formatDate(first.date, "d3"), formatTime(first.time, "t3")}));
    EXPECT_EQ(list->rows()[0].recordNumber, first.rec);
    EXPECT_EQ(list->highlighted(), 0);
    EXPECT_EQ(wl.record().title, first.title);

    int changes = 0;
    list->setObserver([&] { ++changes; });
    for (int i = 0; i < kPage - 1; ++i) list->lineDown();
    EXPECT_EQ(changes, kPage - 1);
    EXPECT_EQ(list->highlighted(), kPage - 1);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    list->lineDown();  // at the edge: one record on
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 1));
    EXPECT_EQ(list->highlighted(), kPage - 1);
    EXPECT_EQ(wl.record().title, s_byTitle[kPage].title);
    for (int i = 0; i < kPage; ++i) list->lineUp();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    list->lineUp();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    EXPECT_EQ(list->highlighted(), 0);

    list->highlight(5);
    list->pageDown();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kPage));
    EXPECT_EQ(list->highlighted(), 5);
    EXPECT_EQ(wl.record().title, s_byTitle[kPage + 5].title);
    list->pageUp();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    EXPECT_EQ(list->highlighted(), 5);
    list->pageUp();
    EXPECT_EQ(list->highlighted(), 0);

    list->bottom();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast));
    EXPECT_EQ(list->highlighted(), kPage - 1);
    list->lineDown();
    list->pageDown();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast));
    EXPECT_EQ(list->highlighted(), kPage - 1);

    // A page down onto the end keeps the page full: the highlight lands a page further on.
    for (int i = 0; i < kPage + 9; ++i) list->lineUp();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast - 10));
    list->pageDown();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast));
    EXPECT_EQ(list->highlighted(), 20);

    // A new page size refills from the top row, backwards too when the end comes first.
    list->setPageSize(10);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast, 10));
    EXPECT_EQ(list->highlighted(), 9);
    list->setPageSize(50);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kTitles - 50, 50));
    list->top();
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0, 50));
}

TEST_F(WindowListTest, TheThumbSpreadsTheTitlesAndJumpsToItsEntries) {
    auto list = openList();
    const ThumbTable expected =
        ThumbTable::text(s_byTitle.front().title, s_byTitle.back().title, 70, ThumbCharset::Capitals);
    for (int n = 1; n <= ThumbTable::kPositions; ++n) EXPECT_EQ(list->thumb().entry(n), expected.entry(n)) << n;

    list->thumbTo(50);
    const std::size_t at = titleAtOrAfter(std::get<std::string>(expected.entry(50)));
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, at));
    EXPECT_EQ(list->highlighted(), 0);
    EXPECT_EQ(list->thumbPosition(), 50);
    list->lineDown();  // highlighting moves the thumb to the row's own place
    EXPECT_EQ(list->thumbPosition(), expected.positionOf(s_byTitle[at + 1].title));

    list->thumbTo(100);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast));
    EXPECT_EQ(list->highlighted(), kPage - 1);
    list->thumbTo(1);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
    EXPECT_EQ(list->thumbPosition(), 1);
    list->bottom();
    EXPECT_EQ(list->thumbPosition(), 100);
}

TEST_F(WindowListTest, ANumericKeySpreadsItsValues) {
    auto list = openList();
    list->selectTab(1);
    EXPECT_EQ(shownTitles(*list), titles(s_byDate, 0));
    EXPECT_EQ(list->thumb().entry(1), FieldValue(std::int64_t{kFirstDate}));
    EXPECT_EQ(list->thumb().entry(50), FieldValue(std::int64_t{kFirstDate + 364 * 49 / 99}));
    EXPECT_EQ(list->thumb().entry(100), FieldValue(std::int64_t{kFirstDate + kDays - 1}));

    list->thumbTo(50);
    const auto at = std::find_if(s_byDate.begin(), s_byDate.end(),
                                 [](const Title& t) { return t.date >= kFirstDate + 364 * 49 / 99; });
    EXPECT_EQ(shownTitles(*list), titles(s_byDate, static_cast<std::size_t>(at - s_byDate.begin())));
    EXPECT_EQ(list->highlighted(), 0);
}

TEST_F(WindowListTest, TheLocatorStepsThroughRowsOfTheTypedCharacterOrJumpsToIt) {
    auto list = openList();
    const std::size_t m = titleAtOrAfter("m");
    const std::size_t n = titleAtOrAfter("n");
    ASSERT_GT(n - m, 2u);
    list->locate(U'm');
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, m));
    EXPECT_EQ(list->highlighted(), 0);
    list->locate(U'M');
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, m));
    EXPECT_EQ(list->highlighted(), 1);

    // Past the last title with the character, back to the first.
    list->locate(U'n');
    list->lineUp();
    EXPECT_EQ(wl.record().title, s_byTitle[n - 1].title);
    list->locate(U'm');
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, m));
    EXPECT_EQ(list->highlighted(), 0);

    // After every title: the end.
    list->locate(U'~');
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, kLast));
    EXPECT_EQ(list->highlighted(), kPage - 1);

    // A numeric first component takes the digit as the value.
    list->selectTab(1);
    list->locate(U'x');
    EXPECT_EQ(list->highlighted(), 0);
    list->locate(U'8');  // 80000 begins with it, and so does the next row
    EXPECT_EQ(list->highlighted(), 1);
    list->locate(U'5');  // every date is at or after 5
    EXPECT_EQ(list->highlighted(), 0);
    EXPECT_EQ(shownTitles(*list), titles(s_byDate, 0));
}

TEST_F(WindowListTest, ATabWithARangeAndAFilterShowsOnlyItsRecords) {
    ListDesign design = windowLookupDesign();
    design.tabs.push_back({"Day", "WL:KeyDate", {std::int64_t{kFirstDate + 10}},
                           [this] { return firstFolded(wl.record().title) <= U'm'; }});
    auto list = openList(std::move(design));
    const auto expected = [](std::int32_t date) {
        std::vector<Title> out;
        for (const Title& t : s_byDate)
            if (t.date == date && firstFolded(t.title) <= U'm') out.push_back(t);
        return out;
    };
    const std::vector<Title> day = expected(kFirstDate + 10);
    ASSERT_GT(day.size(), static_cast<std::size_t>(2 * kPage));

    list->selectTab(2);
    EXPECT_EQ(shownTitles(*list), titles(day, 0));
    EXPECT_EQ(list->thumb().entry(1), FieldValue(std::int64_t{kFirstDate + 10}));
    EXPECT_EQ(list->thumb().entry(100), FieldValue(std::int64_t{kFirstDate + 10}));
    list->bottom();
    EXPECT_EQ(shownTitles(*list), titles(day, day.size() - kPage));
    list->pageUp();
    EXPECT_EQ(shownTitles(*list), titles(day, day.size() - 2 * kPage));

    list->setRange({std::int64_t{kFirstDate + 11}});
    EXPECT_EQ(shownTitles(*list), titles(expected(kFirstDate + 11), 0));
    list->selectTab(0);
    EXPECT_EQ(shownTitles(*list), titles(s_byTitle, 0));
}

ListDesign holidayDesign(HolidayTable& t) {
    ListDesign d;
    d.format = "40R(2)|M~Date~C(0)@d3@80L(2)|M~Holiday~@s20@20L~Annual~";
    d.fields = {"HOL:HolidayDate", "HOL:Holiday", ""};
    d.cells = [&t](std::vector<std::string>& cells) { cells[2] = t.record().annual ? "Yes" : "No"; };
    d.tabs = {{"Date", "HOL:KeyHolidayDate", {}, {}},
              {"Annual", "HOL:KeyHolidayDate", {}, [&t] { return t.record().annual != 0; }}};
    d.buttons = {{"&Add", ListAction::Insert},
                 {"&Edit", ListAction::Change, 0, true},
                 {"&Delete", ListAction::Delete, 0, true},
                 {"&Toggle", ListAction::Other, 7, true, true, true},
                 {"Cl&ose", ListAction::Other, 8, false, false}};
    return d;
}

// A dozen holidays, 100 to 210 in steps of 10 (those at odd tens annual), on a page of 5.
class HolidayListTest : public ::testing::Test {
protected:
    void SetUp() override { TestStore::open(m_dir.path(), {&hol, &other}); }
    void TearDown() override { TestStore::close({&hol, &other}); }

    void addHolidays() {
        for (std::int32_t date = 100; date <= 210; date += 10) add(date);
    }
    std::int64_t add(std::int32_t date, std::uint8_t annual = 2) {
        other.record() = {date, "H" + std::to_string(date), annual == 2 ? static_cast<std::uint8_t>(date / 10 % 2) : annual};
        EXPECT_EQ(other.add(), 0) << other.lastError().text;
        return other.recordNumber();
    }
    std::unique_ptr<ListController> openList() {
        auto list = std::make_unique<ListController>(hol, holidayDesign(hol), reporter);
        list->setPageSize(5);
        EXPECT_TRUE(list->open());
        return list;
    }
    // What a form does to delete the highlighted record.
    void eraseHighlighted(ListController& list) {
        ASSERT_TRUE(list.rereadHighlighted());
        ASSERT_EQ(hol.erase(), 0);
        list.rebuildAfterDelete();
    }

    TempDir m_dir;
    HolidayTable hol{holidaysLayout(), kHolidaysName};
    HolidayTable other{holidaysLayout(), kHolidaysName};  // another window's handle
    FakeRuntime runtime;
    WarningReporter reporter{runtime};
};

using Dates = std::vector<std::int64_t>;

TEST_F(HolidayListTest, AfterADeleteTheRowThatTookItsPlaceIsHighlighted) {
    addHolidays();
    auto list = openList();
    EXPECT_EQ(list->rows()[1].cells, (std::vector<std::string>{formatDate(110, "d3"), "H110", "Yes"}));
    list->highlight(2);
    eraseHighlighted(*list);
    EXPECT_EQ(shownDates(*list), (Dates{100, 110, 130, 140, 150}));
    EXPECT_EQ(list->highlighted(), 2);
    EXPECT_EQ(hol.record().holidayDate, 130);

    list->bottom();
    eraseHighlighted(*list);  // the last: the one before it, the page still full
    EXPECT_EQ(shownDates(*list), (Dates{160, 170, 180, 190, 200}));
    EXPECT_EQ(list->highlighted(), 4);
    EXPECT_EQ(list->thumb().entry(100), FieldValue(std::int64_t{200}));
}

TEST_F(HolidayListTest, AfterASaveTheRecordShowsWhereTheHighlightWas) {
    addHolidays();
    auto list = openList();
    list->highlight(3);
    list->rebuildShowing(add(125));
    EXPECT_EQ(shownDates(*list), (Dates{100, 110, 120, 125, 130}));
    EXPECT_EQ(list->highlighted(), 3);
    EXPECT_EQ(hol.record().holidayDate, 125);

    list->rebuildShowing(add(1000));  // the end comes first: more rows before it
    EXPECT_EQ(shownDates(*list), (Dates{180, 190, 200, 210, 1000}));
    EXPECT_EQ(list->highlighted(), 4);
    EXPECT_EQ(list->thumb().entry(100), FieldValue(std::int64_t{1000}));

    // Changed so that the tab's filter leaves it out: the nearest place by its key.
    list->selectTab(1);
    EXPECT_EQ(shownDates(*list), (Dates{110, 130, 150, 170, 190}));
    list->highlight(1);
    ASSERT_TRUE(list->rereadHighlighted());
    hol.record().annual = 0;
    ASSERT_EQ(hol.put(), 0);
    list->rebuildShowing(hol.recordNumber());
    EXPECT_EQ(shownDates(*list), (Dates{110, 150, 170, 190, 210}));
    EXPECT_EQ(list->highlighted(), 1);
}

TEST_F(HolidayListTest, AnEmptyListDisablesRecordButtonsAndClearsTheBuffer) {
    hol.record() = {999, "junk", 1};
    auto list = openList();
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(list->highlighted(), -1);
    EXPECT_EQ(hol.record(), HolidayRecord{});
    EXPECT_EQ(list->popupMenuText(), "&Add|~&Edit|~&Delete|-|~&Toggle");
    EXPECT_EQ(list->buttonForMenuEntry(1), 0);
    EXPECT_EQ(list->buttonForMenuEntry(2), std::nullopt);
    EXPECT_EQ(list->buttonForKey(ListKey::Insert), 0);
    EXPECT_EQ(list->buttonForKey(ListKey::Delete), std::nullopt);
    EXPECT_EQ(list->buttonForKey(ListKey::DoubleClick), std::nullopt);
    list->pageDown();
    list->locate(U'1');
    EXPECT_TRUE(list->empty());

    add(100);
    list->refresh();
    ASSERT_EQ(shownDates(*list), (Dates{100}));
    EXPECT_EQ(list->popupMenuText(), "&Add|&Edit|&Delete|-|&Toggle");
    list->setButtonAllowed(3, false);
    EXPECT_EQ(list->popupMenuText(), "&Add|&Edit|&Delete|-|~&Toggle");
    EXPECT_EQ(list->buttonForMenuEntry(4), std::nullopt);
    list->setButtonAllowed(3, true);
    EXPECT_EQ(list->buttonForMenuEntry(4), 3);
    EXPECT_EQ(list->buttonForMenuEntry(5), std::nullopt);  // Close is not on the menu
    EXPECT_EQ(list->buttonForKey(ListKey::CtrlEnter), 1);
    EXPECT_EQ(list->buttonForKey(ListKey::Delete), 2);

    eraseHighlighted(*list);  // the only row
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(list->highlighted(), -1);
    EXPECT_EQ(hol.record(), HolidayRecord{});
    EXPECT_FALSE(list->buttonEnabled(1));
}

TEST_F(HolidayListTest, ARereadWatchesTheRecordOrReportsItGone) {
    addHolidays();
    auto list = openList();
    list->highlight(1);
    ASSERT_TRUE(list->rereadHighlighted());
    other.record().holidayDate = 110;
    ASSERT_EQ(other.get(0), 0);
    other.record().holiday = "Theirs";
    ASSERT_EQ(other.put(), 0);
    hol.record().holiday = "Mine";
    EXPECT_EQ(hol.put(), 89);
    EXPECT_TRUE(runtime.boxes().empty());

    list->highlight(2);
    other.record().holidayDate = 120;
    ASSERT_EQ(other.get(0), 0);
    ASSERT_EQ(other.erase(), 0);
    EXPECT_FALSE(list->rereadHighlighted());
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Record Retrieval Error");
    EXPECT_NE(runtime.lastBox().request.text.find("Holidays"), std::string::npos);
    EXPECT_EQ(shownDates(*list), (Dates{100, 110, 130, 140, 150}));
    EXPECT_EQ(list->highlighted(), 2);
}

TEST_F(HolidayListTest, ReadErrorsAreReportedAndTheListKeepsWhatItHad) {
    addHolidays();
    hol.close();
    {
        ListController list(hol, holidayDesign(hol), reporter);
        EXPECT_FALSE(list.open());
        EXPECT_TRUE(list.empty());
        ASSERT_EQ(runtime.boxes().size(), 1u);
        EXPECT_EQ(runtime.lastBox().request.title, "View Open Error");
        EXPECT_NE(runtime.lastBox().request.text.find("Holidays"), std::string::npos);
    }
    ASSERT_EQ(hol.open(), 0);
    auto list = openList();
    const std::vector<ListRow> before = list->rows();
    hol.close();
    list->pageDown();
    ASSERT_EQ(runtime.boxes().size(), 2u);
    EXPECT_EQ(runtime.lastBox().request.title, "Record Retrieval Error");
    EXPECT_EQ(list->rows(), before);
    EXPECT_EQ(list->highlighted(), 0);
}

}  // namespace
}  // namespace cm::test
