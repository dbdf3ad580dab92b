#include "store/record_image.h"

#include "base/fixed_text.h"

namespace cm {

FieldValue readField(const Layout& layout, const void* buffer, int field) {
    const FieldDef& f = layout.fields.at(static_cast<std::size_t>(field));
    if (f.isText()) return f.getText(buffer);
    return f.getInt(buffer);
}

void writeField(const Layout& layout, void* buffer, int field, const FieldValue& value) {
    const FieldDef& f = layout.fields.at(static_cast<std::size_t>(field));
    if (f.isText())
        f.setText(buffer, std::holds_alternative<std::string>(value) ? std::get<std::string>(value) : std::string());
    else
        f.setInt(buffer, std::holds_alternative<std::int64_t>(value) ? std::get<std::int64_t>(value) : 0);
}

bool sameKeyValue(const FieldValue& a, const FieldValue& b) {
    if (a.index() != b.index()) return false;
    if (std::holds_alternative<std::int64_t>(a)) return std::get<std::int64_t>(a) == std::get<std::int64_t>(b);
    return FixedText::equalNoCase(std::get<std::string>(a), std::get<std::string>(b));
}

RecordImage RecordImage::of(RecordRef record) {
    RecordImage image;
    const Layout& layout = record.layout();
    image.m_values.reserve(layout.fields.size());
    for (std::size_t i = 0; i < layout.fields.size(); ++i)
        image.m_values.push_back(readField(layout, record.buffer, static_cast<int>(i)));
    return image;
}

void RecordImage::restoreInto(RecordRef record) const {
    const Layout& layout = record.layout();
    for (std::size_t i = 0; i < layout.fields.size() && i < m_values.size(); ++i)
        writeField(layout, record.buffer, static_cast<int>(i), m_values[i]);
}

}  // namespace cm
