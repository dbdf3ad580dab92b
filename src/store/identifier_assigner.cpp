#include "store/identifier_assigner.h"

#include <limits>

#include "store/warning_reporter.h"

namespace cm {

namespace {
constexpr int kWarnAutoIncrement = 25;
constexpr int kWarnRetrieval = 35;
}  // namespace

IdentifierAssigner::IdentifierAssigner(RecordRef record, std::string_view keyName, WarningReporter& reporter)
    : m_record(record), m_key(record.layout().keyIndex(keyName)), m_reporter(reporter) {}

bool IdentifierAssigner::nextValue(std::int64_t& value) {
    const Layout& layout = m_record.layout();
    TableHandle& table = m_record.table;
    if (m_key < 0) {
        m_reporter.show(kWarnRetrieval, layout.table, {},
                        StoreError::make(StoreCode::kNotFound, "No such key on " + layout.table));
        return false;
    }
    const std::vector<int>& components = layout.keys[static_cast<std::size_t>(m_key)].fields;
    const int numberField = components.back();
    const RecordImage scope = RecordImage::of(m_record);

    // The last entry at or before the highest number in the scope, so one walk step finds it.
    writeField(layout, m_record.buffer, numberField, std::int64_t{std::numeric_limits<std::int32_t>::max()});
    int code = table.setFrom(m_key);
    if (code == StoreCode::kOk) code = table.previous();
    if (code == StoreCode::kNoRecord) {
        value = 1;
        return true;
    }
    if (code != StoreCode::kOk) {
        m_reporter.show(kWarnRetrieval, layout.table, {}, table.lastError());
        return false;
    }
    bool sameScope = true;
    for (std::size_t i = 0; i + 1 < components.size(); ++i)
        sameScope =
            sameScope && sameKeyValue(readField(layout, m_record.buffer, components[i]), scope.value(components[i]));
    const FieldValue last = readField(layout, m_record.buffer, numberField);
    value = sameScope ? std::get<std::int64_t>(last) + 1 : 1;
    return true;
}

IdentifierAssigner::Result IdentifierAssigner::reserve() {
    const Layout& layout = m_record.layout();
    const RecordImage remembered = RecordImage::of(m_record);
    for (;;) {
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            std::int64_t value = 0;
            const bool read = nextValue(value);
            remembered.restoreInto(m_record);
            if (!read) return Result::Failed;
            writeField(layout, m_record.buffer, layout.keys[static_cast<std::size_t>(m_key)].fields.back(), value);
            if (m_record.table.add() == StoreCode::kOk) {
                m_value = value;
                return Result::Reserved;
            }
        }
        const StoreError error = m_record.table.lastError();
        remembered.restoreInto(m_record);
        if (m_reporter.show(kWarnAutoIncrement, layout.table, {}, error) != Button::Retry) return Result::Cancelled;
    }
}

}  // namespace cm
