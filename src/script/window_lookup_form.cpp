#include "script/window_lookup_form.h"

#include "base/date.h"
#include "base/fixed_text.h"
#include "base/time_of_day.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "store/table_registry.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace {

constexpr int kWarnRetrievalError = 35;
constexpr int kTitleWidth = 70;
// The examples bad input is answered with, in the field's own picture.
constexpr int kExampleYear = 1959, kExampleMonth = 10, kExampleDay = 31;
constexpr int kExampleHour = 17, kExampleMinute = 30;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

WindowLookupForm::WindowLookupForm(FormMode mode, std::int64_t recordNumber, Runtime& runtime, const Clock& clock,
                                   std::string datePicture, std::optional<WindowLookupRecord>& lastSaved)
    : m_mode(mode),
      m_recordNumber(recordNumber),
      m_runtime(runtime),
      m_clock(clock),
      m_datePicture(Picture::compile(datePicture)),
      m_timePicture(Picture::compile(kTimePicture)),
      m_lastSaved(lastSaved),
      m_table(windowLookupLayout(), std::string(findTable("WindowLookup")->declaredName)),
      m_reporter(runtime) {}

WindowLookupForm::~WindowLookupForm() = default;

bool WindowLookupForm::open() {
    m_use = std::make_unique<TableUse>(m_table, m_runtime);
    if (!m_use->open()) return false;
    if (m_mode == FormMode::Insert) {
        m_table.clear();
        const Moment now = m_clock.current();
        m_table.record().date = now.date;
        m_table.record().time = now.time;
    } else if (m_table.getByNumber(m_recordNumber) != StoreCode::kOk) {
        m_reporter.show(kWarnRetrievalError, m_table.layout().table, {}, m_table.lastError());
        return false;
    }
    FormSave::Options options;
    options.notice = OtherStationNotice::ChangesShown;
    m_save = std::make_unique<FormSave>(m_table, m_mode, m_reporter, options);
    if (m_save->open() != OpenOutcome::Ready) return false;
    loadTexts(m_table.record());
    return true;
}

std::string_view WindowLookupForm::caption() const {
    return m_mode == FormMode::Insert ? kInsertCaption : m_mode == FormMode::Change ? kChangeCaption : std::string_view();
}

void WindowLookupForm::setText(Field field, std::string text) { m_texts[index(field)] = std::move(text); }

int WindowLookupForm::maxLength(Field field) const {
    switch (field) {
        case Field::Title:
            return kTitleWidth;
        case Field::Date:
            return 40;
        case Field::Time:
            return 20;
    }
    return 0;
}

std::string WindowLookupForm::format(Field field, const WindowLookupRecord& record) const {
    switch (field) {
        case Field::Title:
            return record.title;
        case Field::Date:
            return m_datePicture.formatDate(record.date);
        case Field::Time:
            return m_timePicture.formatTime(record.time);
    }
    return {};
}

void WindowLookupForm::loadTexts(const WindowLookupRecord& record) {
    for (Field f : {Field::Title, Field::Date, Field::Time}) m_texts[index(f)] = format(f, record);
}

bool WindowLookupForm::ditto(Field field) {
    if (!m_lastSaved) return false;
    m_texts[index(field)] = format(field, *m_lastSaved);
    return true;
}

void WindowLookupForm::refuse(Field field, const std::string& message) {
    m_badField = field;
    MessageBoxRequest box;
    box.text = message;
    box.title = kInvalidEntryTitle;
    box.icon = MessageIcon::Exclamation;
    box.owner = Owner::Window;
    m_runtime.messageBox(box);
}

bool WindowLookupForm::parseInto(WindowLookupRecord& record) {
    const std::string title = FixedText::stored(text(Field::Title), kTitleWidth);
    if (title.find_first_not_of(' ') == std::string::npos) {
        // A blank title can never name a window, so it is not worth a record.
        refuse(Field::Title, "Type the window title.");
        return false;
    }
    const auto date = m_datePicture.parseDate(text(Field::Date));
    if (!date) {
        const std::string example = m_datePicture.formatDate(Date::fromYmd(kExampleYear, kExampleMonth, kExampleDay));
        refuse(Field::Date, quoted(text(Field::Date)) + " is not a date. Type it like " + example +
                                ", or leave the date blank.");
        return false;
    }
    const auto time = m_timePicture.parseTime(text(Field::Time));
    if (!time) {
        const std::string example = m_timePicture.formatTime(Time::fromHms(kExampleHour, kExampleMinute, 0));
        refuse(Field::Time, quoted(text(Field::Time)) + " is not a time. Type it like " + example +
                                ", or leave the time blank.");
        return false;
    }
    record.title = title;
    record.date = *date;
    record.time = *time;
    return true;
}

SaveOutcome WindowLookupForm::ok() {
    m_badField.reset();
    if (!m_save) return SaveOutcome::Cancelled;
    if (m_mode == FormMode::Delete) return m_save->save();

    WindowLookupRecord entered = m_table.record();
    if (!parseInto(entered)) return SaveOutcome::StayInForm;
    m_table.record() = entered;
    const SaveOutcome outcome = m_save->save();
    if (outcome == SaveOutcome::Saved) {
        m_lastSaved = m_table.record();
    } else if (outcome == SaveOutcome::StayInForm && !(m_table.record() == entered)) {
        // Another station's version was loaded: the user's own values stay one Ctrl+' away.
        m_lastSaved = entered;
        loadTexts(m_table.record());
    }
    return outcome;
}

SaveOutcome WindowLookupForm::cancel() { return m_save ? m_save->cancel() : SaveOutcome::Cancelled; }

}  // namespace cm
