#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/picture.h"
#include "store/form_save.h"
#include "store/table_handle.h"
#include "store/tables/window_lookup_record.h"
#include "store/warning_reporter.h"

namespace cm {

class Clock;
class Runtime;
class TableUse;

// UpdateWindowLookup without its window: one WindowLookup record added, changed or deleted
// through the form protocol, with the fields as the user types them.
//
// The form reads and writes through a handle of its own, so nothing the list does meanwhile
// (a page read on a resize) can move the record it is about to write.
class WindowLookupForm {
public:
    static constexpr std::string_view kProcedure = "UpdateWindowLookup";
    static constexpr std::string_view kInsertCaption = "Adding a WindowLookup Record";
    static constexpr std::string_view kChangeCaption = "Changing a WindowLookup Record";
    static constexpr std::string_view kTitleLabel = "&Title:";
    static constexpr std::string_view kDateLabel = "Date:";
    static constexpr std::string_view kTimeLabel = "Time:";
    static constexpr std::string_view kOk = "&Ok";
    static constexpr std::string_view kCancel = "Cancel";
    static constexpr std::string_view kTitlePicture = "@s70";
    static constexpr std::string_view kTimePicture = "@t3";
    static constexpr std::string_view kInvalidEntryTitle = "Invalid Entry";

    enum class Field { Title, Date, Time };
    static constexpr int kFields = 3;

    // lastSaved is the record last saved with this form; it belongs to whoever opens the form,
    // so the ditto still finds it in the next form.
    WindowLookupForm(FormMode mode, std::int64_t recordNumber, Runtime& runtime, const Clock& clock,
                     std::string datePicture, std::optional<WindowLookupRecord>& lastSaved);
    ~WindowLookupForm();
    WindowLookupForm(const WindowLookupForm&) = delete;
    WindowLookupForm& operator=(const WindowLookupForm&) = delete;

    // Opens the form's handle and reads the record to change or delete; a new record starts
    // with today and now. False when the form cannot open: the warning has been shown.
    bool open();

    FormMode mode() const { return m_mode; }
    std::string_view caption() const;
    const std::string& text(Field field) const { return m_texts[index(field)]; }
    void setText(Field field, std::string text);
    int maxLength(Field field) const;

    // Ctrl+' in a field: that field's value from the record last saved with this form. False
    // when nothing has been saved yet.
    bool ditto(Field field);

    // OK. Bad input is refused with a message naming the field, which badField() then gives.
    SaveOutcome ok();
    SaveOutcome cancel();
    std::optional<Field> badField() const { return m_badField; }

    // The record the form wrote, for the list to highlight it.
    std::int64_t recordNumber() const { return m_table.recordNumber(); }
    bool written() const { return m_save && m_save->written(); }

private:
    static std::size_t index(Field field) { return static_cast<std::size_t>(field); }
    void loadTexts(const WindowLookupRecord& record);
    std::string format(Field field, const WindowLookupRecord& record) const;
    bool parseInto(WindowLookupRecord& record);
    void refuse(Field field, const std::string& message);

    FormMode m_mode;
    std::int64_t m_recordNumber;
    Runtime& m_runtime;
    const Clock& m_clock;
    Picture m_datePicture;
    Picture m_timePicture;
    std::optional<WindowLookupRecord>& m_lastSaved;
    Table<WindowLookupRecord> m_table;
    std::unique_ptr<TableUse> m_use;
    WarningReporter m_reporter;
    std::unique_ptr<FormSave> m_save;
    std::array<std::string, kFields> m_texts;
    std::optional<Field> m_badField;
};

}  // namespace cm
