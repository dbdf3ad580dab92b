#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/record_image.h"
#include "store/record_rules.h"

namespace cm {

class WarningReporter;

enum class FormMode { Insert, Change, Delete };

enum class OpenOutcome {
    Ready,
    Closed,  // numbering failed or was given up: the form does not open
};

enum class SaveOutcome {
    Saved,                // written (or nothing to write): close the form
    StayInForm,           // back to the form; for a change after another station's save it shows their version
    ClosedWithoutSaving,  // the user chose to close after a failure; nothing was written
    Cancelled,            // nothing done: the delete was not confirmed, or the form was cancelled
};

// How every form adds, changes and deletes its record, with the questions and warnings that go
// with it. The controller fills the buffer, calls open() when the form opens and save() on OK
// (after writing its change stamps); the window only binds the outcome.
class FormSave {
public:
    struct Options {
        // Insert: the key whose number is assigned and reserved when the form opens
        // (IdentifierAssigner's keys). Empty: the record is added on OK.
        std::string_view numberingKey;
        OtherStationNotice notice = OtherStationNotice::UpdateError;
    };

    // For a change or delete the buffer holds the record as read; for an insert its initial
    // values (a script step's SCR:ID included).
    FormSave(RecordRef record, FormMode mode, WarningReporter& reporter, Options options);

    // Insert: numbers and adds the record. Change: remembers it to compare on OK and watches it,
    // so a save over another station's change is detected.
    OpenOutcome open();
    SaveOutcome save();
    // The form's Cancel: an insert removes the record it reserved, with anything attached to it.
    SaveOutcome cancel();

    // An open handle the delete and change operations use for that child table.
    void provide(RecordRef child) { m_provided.push_back(child); }

    FormMode mode() const { return m_mode; }
    bool written() const { return m_written; }
    bool reserved() const { return m_reserved; }
    const RecordImage& original() const { return m_original; }

private:
    SaveOutcome insert();
    SaveOutcome change();
    SaveOutcome remove();
    void provideTo(RecordRules& rules) const;

    RecordRef m_record;
    FormMode m_mode;
    WarningReporter& m_reporter;
    Options m_options;
    std::vector<RecordRef> m_provided;
    RecordImage m_original;
    std::string m_reservedPosition;
    bool m_reserved = false;
    bool m_written = false;
};

}  // namespace cm
