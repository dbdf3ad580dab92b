#include "script/window_lookup_form.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/date.h"
#include "base/time_of_day.h"
#include "store/store_fixture.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"

namespace cm::test {
namespace {

using Field = WindowLookupForm::Field;

class WindowLookupFormTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_EQ(table.create(), 0) << table.lastError().text;
        ASSERT_EQ(table.open(), 0) << table.lastError().text;
    }
    void TearDown() override {
        table.close();
        StoreFixture::TearDown();
    }

    std::int64_t add(std::string title, std::int32_t date = 0, std::int32_t time = 0) {
        table.clear();
        table.record() = {std::move(title), date, time};
        EXPECT_EQ(table.add(), 0) << table.lastError().text;
        return table.recordNumber();
    }

    std::vector<WindowLookupRecord> stored() {
        std::vector<WindowLookupRecord> out;
        EXPECT_EQ(table.set(table.keyIndex("WL:KeyTitle")), 0);
        while (table.next() == 0) out.push_back(table.record());
        return out;
    }

    std::unique_ptr<WindowLookupForm> form(FormMode mode, std::int64_t record = 0, std::string datePicture = "d3") {
        auto f = std::make_unique<WindowLookupForm>(mode, record, runtime, clock, std::move(datePicture), lastSaved);
        EXPECT_TRUE(f->open());
        return f;
    }

    static void type(WindowLookupForm& f, std::string title, std::string date, std::string time) {
        f.setText(Field::Title, std::move(title));
        f.setText(Field::Date, std::move(date));
        f.setText(Field::Time, std::move(time));
    }

    FakeRuntime runtime;
    FakeClock clock{2026, 3, 10, 14, 5, 0};
    std::optional<WindowLookupRecord> lastSaved;
    Table<WindowLookupRecord> table{windowLookupLayout(), "CM97\\!WL"};
};

TEST_F(WindowLookupFormTest, AddingStartsAtNowAndRefusesATitleAlreadyThere) {
    add("Untitled - Notepad", Date::fromYmd(2026, 1, 2), Time::fromHms(8, 0));
    auto f = form(FormMode::Insert);
    EXPECT_EQ(f->caption(), "Adding a WindowLookup Record");
    EXPECT_EQ(f->text(Field::Title), "");
    EXPECT_EQ(f->text(Field::Date), "MAR 10,2026");
    EXPECT_EQ(f->text(Field::Time), "2:05PM");

    // Keys ignore case and trailing blanks, so this is the same title.
    f->setText(Field::Title, "UNTITLED - NOTEPAD  ");
    EXPECT_EQ(f->ok(), SaveOutcome::StayInForm);
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Duplicate Key Error");
    EXPECT_EQ(runtime.lastBox().request.text, "Adding this record creates a duplicate entry for the key:WL:KeyTitle");
    EXPECT_EQ(stored().size(), 1u);
    EXPECT_FALSE(lastSaved);
    EXPECT_EQ(f->text(Field::Title), "UNTITLED - NOTEPAD  ") << "what was typed stays in the form";

    f->setText(Field::Title, "Calculator");
    EXPECT_EQ(f->ok(), SaveOutcome::Saved);
    EXPECT_TRUE(f->written());
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (WindowLookupRecord{"Calculator", Date::fromYmd(2026, 3, 10), Time::fromHms(14, 5)}));
    table.record().title = "Calculator";
    ASSERT_EQ(table.get(table.keyIndex("WL:KeyTitle")), 0);
    EXPECT_EQ(f->recordNumber(), table.recordNumber());
    ASSERT_TRUE(lastSaved);
    EXPECT_EQ(lastSaved->title, "Calculator");
}

TEST_F(WindowLookupFormTest, BadInputIsRefusedWithTheFieldNamedAndNothingStored) {
    const struct {
        std::string datePicture;
        std::string title, date, time;
        Field bad;
        std::string message;
    } cases[] = {
        {"d3", "   ", "MAR 10,2026", "2:05PM", Field::Title, "Type the window title."},
        {"d3", "Notepad", "MAR 32,2026", "2:05PM", Field::Date,
         "\"MAR 32,2026\" is not a date. Type it like OCT 31,1959, or leave the date blank."},
        {"d6", "Notepad", "10/31/1959", "", Field::Date,
         "\"10/31/1959\" is not a date. Type it like 31/10/1959, or leave the date blank."},
        {"d3", "Notepad", "", "25:00", Field::Time,
         "\"25:00\" is not a time. Type it like 5:30PM, or leave the time blank."},
        {"d3", "Notepad", "", "noon", Field::Time,
         "\"noon\" is not a time. Type it like 5:30PM, or leave the time blank."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date + "|" + c.time);
        runtime.clearBoxes();
        auto f = form(FormMode::Insert, 0, c.datePicture);
        type(*f, c.title, c.date, c.time);
        EXPECT_EQ(f->ok(), SaveOutcome::StayInForm);
        EXPECT_EQ(f->badField(), c.bad);
        ASSERT_EQ(runtime.boxes().size(), 1u);
        EXPECT_EQ(runtime.lastBox().request.title, "Invalid Entry");
        EXPECT_EQ(runtime.lastBox().request.text, c.message);
        EXPECT_TRUE(stored().empty());
    }

    // Blank dates and times are allowed: nothing known about when the title was seen.
    auto f = form(FormMode::Insert);
    type(*f, "Notepad", "", "");
    EXPECT_EQ(f->ok(), SaveOutcome::Saved);
    EXPECT_EQ(stored(), (std::vector<WindowLookupRecord>{{"Notepad", 0, 0}}));
}

TEST_F(WindowLookupFormTest, DittoRecallsTheLastSavedRecordFieldByField) {
    auto first = form(FormMode::Insert);
    EXPECT_FALSE(first->ditto(Field::Title)) << "nothing saved yet";
    EXPECT_EQ(first->text(Field::Title), "");
    type(*first, "Inbox - Mail", "JAN 5,2026", "9:15AM");
    ASSERT_EQ(first->ok(), SaveOutcome::Saved);

    // The memory is the opener's, so a later form finds it.
    auto second = form(FormMode::Insert);
    EXPECT_TRUE(second->ditto(Field::Title));
    EXPECT_EQ(second->text(Field::Title), "Inbox - Mail");
    EXPECT_EQ(second->text(Field::Date), "MAR 10,2026") << "only the field asked for";
    EXPECT_TRUE(second->ditto(Field::Time));
    EXPECT_EQ(second->text(Field::Time), "9:15AM");
}

TEST_F(WindowLookupFormTest, ChangedElsewhereShowsTheirVersionAndKeepsOursForTheDitto) {
    const std::int64_t record = add("Terminal", Date::fromYmd(2026, 2, 1), Time::fromHms(10, 0));
    auto f = form(FormMode::Change, record);
    EXPECT_EQ(f->caption(), "Changing a WindowLookup Record");
    EXPECT_EQ(f->text(Field::Title), "Terminal");
    EXPECT_EQ(f->text(Field::Date), "FEB 01,2026");

    Table<WindowLookupRecord> other{windowLookupLayout(), "CM97\\!WL"};
    ASSERT_EQ(other.open(), 0);
    ASSERT_EQ(other.getByNumber(record), 0);
    other.record().title = "Terminal - bash";
    ASSERT_EQ(other.put(), 0);
    other.close();

    f->setText(Field::Title, "My Terminal");
    EXPECT_EQ(f->ok(), SaveOutcome::StayInForm);
    EXPECT_EQ(runtime.lastBox().request.title, "Record Was Not Updated");
    EXPECT_EQ(f->text(Field::Title), "Terminal - bash");
    EXPECT_TRUE(f->ditto(Field::Title));
    EXPECT_EQ(f->text(Field::Title), "My Terminal");

    EXPECT_EQ(f->ok(), SaveOutcome::Saved);
    EXPECT_EQ(stored()[0].title, "My Terminal");
}

TEST_F(WindowLookupFormTest, DeleteAsksFirstAndAGoneRecordDoesNotOpen) {
    const std::int64_t record = add("Terminal");
    auto f = form(FormMode::Delete, record);
    EXPECT_EQ(f->ok(), SaveOutcome::Cancelled) << "the confirmation's default is Cancel";
    EXPECT_EQ(runtime.lastBox().request.title, "Confirm Delete");
    EXPECT_EQ(stored().size(), 1u);
    runtime.answerNext(Button::Ok);
    EXPECT_EQ(f->ok(), SaveOutcome::Saved);
    EXPECT_TRUE(f->written());
    EXPECT_TRUE(stored().empty());

    runtime.clearBoxes();
    WindowLookupForm gone(FormMode::Change, record, runtime, clock, "d3", lastSaved);
    EXPECT_FALSE(gone.open());
    ASSERT_EQ(runtime.boxes().size(), 1u);
    EXPECT_EQ(runtime.lastBox().request.title, "Record Retrieval Error");
}

}  // namespace
}  // namespace cm::test
