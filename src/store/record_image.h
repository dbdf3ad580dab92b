#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "store/layout.h"
#include "store/table_handle.h"

namespace cm {

// A table handle together with its record buffer, so the integrity rules can read and write
// fields of any table through its layout. Made implicitly from a Table<R>.
struct RecordRef {
    template <class R>
    RecordRef(Table<R>& table) : table(table), buffer(&table.record()) {}  // NOLINT: implicit on purpose
    RecordRef(TableHandle& table, void* buffer) : table(table), buffer(buffer) {}

    const Layout& layout() const { return table.layout(); }

    TableHandle& table;
    void* buffer;
};

FieldValue readField(const Layout& layout, const void* buffer, int field);
void writeField(const Layout& layout, void* buffer, int field, const FieldValue& value);
// Equal as a key compares them: texts without regard to case or trailing blanks.
bool sameKeyValue(const FieldValue& a, const FieldValue& b);

// A copy of every field of a record buffer, memos included: what a form remembers when it
// opens, to tell whether anything was edited and to put the image back.
class RecordImage {
public:
    RecordImage() = default;
    static RecordImage of(RecordRef record);

    void restoreInto(RecordRef record) const;
    bool empty() const { return m_values.empty(); }
    const FieldValue& value(int field) const { return m_values.at(static_cast<std::size_t>(field)); }

    friend bool operator==(const RecordImage&, const RecordImage&) = default;

private:
    std::vector<FieldValue> m_values;
};

}  // namespace cm
