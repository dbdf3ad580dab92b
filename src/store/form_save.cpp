#include "store/form_save.h"

#include "store/identifier_assigner.h"
#include "store/warning_reporter.h"

namespace cm {

namespace {
constexpr int kWarnInsertError = 14;
constexpr int kWarnChangeFailed = 16;
constexpr int kWarnDeleteFailed = 18;
constexpr int kWarnDuplicateKey = 24;
constexpr int kWarnConfirmDelete = 32;

// Where an answer other than Yes to warning 16 or 18 leaves the form.
SaveOutcome afterFailure(Button answer) {
    switch (answer) {
        case Button::No:
            return SaveOutcome::ClosedWithoutSaving;
        case Button::Aborted:
            return SaveOutcome::Cancelled;
        default:
            return SaveOutcome::StayInForm;
    }
}
}  // namespace

FormSave::FormSave(RecordRef record, FormMode mode, WarningReporter& reporter, Options options)
    : m_record(record), m_mode(mode), m_reporter(reporter), m_options(options) {}

void FormSave::provideTo(RecordRules& rules) const {
    for (const RecordRef& child : m_provided) rules.provide(child);
}

OpenOutcome FormSave::open() {
    m_written = false;
    switch (m_mode) {
        case FormMode::Insert:
            if (m_options.numberingKey.empty()) return OpenOutcome::Ready;
            if (IdentifierAssigner(m_record, m_options.numberingKey, m_reporter).reserve() !=
                IdentifierAssigner::Result::Reserved)
                return OpenOutcome::Closed;
            m_reserved = true;
            m_reservedPosition = m_record.table.position();
            return OpenOutcome::Ready;
        case FormMode::Change:
            m_original = RecordImage::of(m_record);
            m_record.table.watch();
            return OpenOutcome::Ready;
        case FormMode::Delete:
            return OpenOutcome::Ready;
    }
    return OpenOutcome::Ready;
}

SaveOutcome FormSave::save() {
    switch (m_mode) {
        case FormMode::Insert:
            return insert();
        case FormMode::Change:
            return change();
        case FormMode::Delete:
            return remove();
    }
    return SaveOutcome::Cancelled;
}

SaveOutcome FormSave::insert() {
    TableHandle& table = m_record.table;
    const int code = m_reserved ? table.put() : table.add();
    if (code == StoreCode::kOk) {
        m_reserved = false;
        m_written = true;
        return SaveOutcome::Saved;
    }
    if (code == StoreCode::kDuplicateKey) {
        const int key = table.duplicatedKey();
        const std::string label = key >= 0 ? table.layout().keys[static_cast<std::size_t>(key)].label() : std::string();
        m_reporter.show(kWarnDuplicateKey, label, {}, table.lastError());
    } else {
        m_reporter.show(kWarnInsertError, table.layout().table, {}, table.lastError());
    }
    return SaveOutcome::StayInForm;
}

SaveOutcome FormSave::change() {
    if (RecordImage::of(m_record) == m_original) return SaveOutcome::Saved;
    for (;;) {
        RecordRules rules(m_reporter);
        provideTo(rules);
        switch (rules.changeRecord(m_record, &m_original, m_options.notice)) {
            case RecordRules::kDone:
                m_original = RecordImage::of(m_record);
                m_written = true;
                return SaveOutcome::Saved;
            case RecordRules::kReloaded:
                // The other station's version is what a further OK must compare against.
                m_original = RecordImage::of(m_record);
                return SaveOutcome::StayInForm;
            default:
                break;
        }
        const Button answer = m_reporter.show(kWarnChangeFailed);
        if (answer != Button::Yes) return afterFailure(answer);
    }
}

SaveOutcome FormSave::remove() {
    if (m_reporter.show(kWarnConfirmDelete) != Button::Ok) return SaveOutcome::Cancelled;
    for (;;) {
        RecordRules rules(m_reporter);
        provideTo(rules);
        if (rules.deleteRecord(m_record) == RecordRules::kDone) {
            m_written = true;
            return SaveOutcome::Saved;
        }
        const Button answer = m_reporter.show(kWarnDeleteFailed);
        if (answer != Button::Yes) return afterFailure(answer);
    }
}

SaveOutcome FormSave::cancel() {
    if (m_mode == FormMode::Insert && m_reserved) {
        // The task form may have attached steps and links to the reserved task meanwhile.
        if (m_record.table.reget(m_reservedPosition) == StoreCode::kOk) {
            RecordRules rules(m_reporter);
            provideTo(rules);
            if (rules.deleteRecord(m_record) == RecordRules::kDone) m_reserved = false;
        }
    }
    return SaveOutcome::Cancelled;
}

}  // namespace cm
