#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace cm {

// One field's value as the layout's accessors give it; also a key component's value.
using FieldValue = std::variant<std::int64_t, std::string>;

// How a field is stored. Texts keep at most `width` characters and no trailing blanks;
// a memo is a variable text of at most `width` characters kept beside the record.
enum class FieldType { Text, ZText, Int32, Int16, Byte, Flag, Date, Time, Memo };

inline bool isTextType(FieldType t) { return t == FieldType::Text || t == FieldType::ZText || t == FieldType::Memo; }

// One field of a record layout, with type-erased access to the member of the record struct
// that holds it. Exactly one pair of accessors is set: the text pair for text types, the
// integer pair for the others.
struct FieldDef {
    std::string name;  // "SCH:Description"
    FieldType type = FieldType::Text;
    int width = 0;  // characters for texts and memos; 0 for numbers
    const std::string& (*getText)(const void* record) = nullptr;
    void (*setText)(void* record, std::string_view value) = nullptr;
    std::int64_t (*getInt)(const void* record) = nullptr;
    void (*setInt)(void* record, std::int64_t value) = nullptr;

    // The column name in SQL: the part after the prefix ("Description").
    std::string column() const;
    bool isText() const { return isTextType(type); }
};

struct KeyDef {
    std::string name;               // "SCH:KeyDateEnabled"
    std::vector<int> fields;        // indexes into Layout::fields, in key order
    bool unique = false;
    bool primary = false;
    bool excludeBlank = true;       // leave out records whose components are all blank or zero
    std::string description;        // named by the duplicate-key warning ("By System ID")
    // What warnings show for this key: the description, else the key's name.
    const std::string& label() const { return description.empty() ? name : description; }
};

// A record layout, described once: DDL, binding, CSV field lists, search fields and whole-record
// copies between a table and its synchronization twin are all generated from it.
struct Layout {
    std::string table;   // "Schedule": the registered table name
    std::string prefix;  // "SCH"
    int version = 1;     // the layout version this program writes
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;

    int fieldIndex(std::string_view name) const;  // by "PREFIX:Name" or bare name, any case; -1
    int keyIndex(std::string_view name) const;    // by key name, any case; -1
    const KeyDef* primaryKey() const;
};

namespace layout_detail {

template <class R, auto Member>
struct Access {
    using M = std::remove_reference_t<decltype(std::declval<R&>().*Member)>;
    static const std::string& getText(const void* r) { return static_cast<const R*>(r)->*Member; }
    static void setText(void* r, std::string_view v) { static_cast<R*>(r)->*Member = std::string(v); }
    static std::int64_t getInt(const void* r) { return static_cast<std::int64_t>(static_cast<const R*>(r)->*Member); }
    static void setInt(void* r, std::int64_t v) { static_cast<R*>(r)->*Member = static_cast<M>(v); }
};

}  // namespace layout_detail

template <auto Member>
struct FieldBuilder;
template <class R, class M, M R::*Member>
struct FieldBuilder<Member> {
    static FieldDef make(std::string name, FieldType type, int width) {
        using A = layout_detail::Access<R, Member>;
        FieldDef f;
        f.name = std::move(name);
        f.type = type;
        f.width = width;
        if constexpr (std::is_same_v<M, std::string>) {
            f.getText = &A::getText;
            f.setText = &A::setText;
        } else {
            static_assert(std::is_integral_v<M>, "record fields are std::string or integers");
            f.getInt = &A::getInt;
            f.setInt = &A::setInt;
        }
        return f;
    }
};

// field<&ScheduleRecord::description>("SCH:Description", FieldType::Text, 40)
template <auto Member>
FieldDef field(std::string name, FieldType type, int width = 0) {
    return FieldBuilder<Member>::make(std::move(name), type, width);
}

inline constexpr unsigned kKeyUnique = 1u << 0;
inline constexpr unsigned kKeyPrimary = 1u << 1;
inline constexpr unsigned kKeyIncludesBlank = 1u << 2;  // keep records whose components are all blank or zero

// addKey(layout, "SCH:KeyID", {"SCH:ID"}, kKeyUnique | kKeyPrimary, "By System ID")
// Components are named as fieldIndex() finds them; an unknown one throws std::logic_error, since
// it can only be a mistake in a layout description. Without a description the key's name is used.
void addKey(Layout& layout, std::string name, std::initializer_list<std::string_view> components, unsigned flags = 0,
            std::string description = {});

// The layout of a table that holds the master's records under another name: the same columns,
// accessors and keys, with the prefix of every field name, key name and name-like description
// changed ("SCH:KeyID" -> "SSch:KeyID"), so a whole-record copy is a plain assignment.
Layout twinLayout(const Layout& master, std::string table, std::string prefix, int version);

}  // namespace cm
