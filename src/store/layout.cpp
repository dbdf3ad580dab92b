#include "store/layout.h"

#include "base/case_fold.h"

#include <stdexcept>

namespace cm {

std::string FieldDef::column() const {
    const auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

int Layout::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (CaseFold::equal(fields[i].name, name) || CaseFold::equal(fields[i].column(), name))
            return static_cast<int>(i);
    }
    return -1;
}

int Layout::keyIndex(std::string_view name) const {
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (CaseFold::equal(keys[i].name, name)) return static_cast<int>(i);
    return -1;
}

const KeyDef* Layout::primaryKey() const {
    for (const KeyDef& k : keys)
        if (k.primary) return &k;
    return nullptr;
}

void addKey(Layout& layout, std::string name, std::initializer_list<std::string_view> components, unsigned flags,
            std::string description) {
    KeyDef key;
    for (std::string_view component : components) {
        const int index = layout.fieldIndex(component);
        if (index < 0)
            throw std::logic_error("key " + name + " of " + layout.table + ": no field " + std::string(component));
        key.fields.push_back(index);
    }
    key.description = description.empty() ? name : std::move(description);
    key.name = std::move(name);
    key.unique = (flags & kKeyUnique) != 0;
    key.primary = (flags & kKeyPrimary) != 0;
    key.excludeBlank = (flags & kKeyIncludesBlank) == 0;
    layout.keys.push_back(std::move(key));
}

namespace {

void renamePrefix(std::string& name, const std::string& from, const std::string& to) {
    if (name.size() > from.size() && name.compare(0, from.size(), from) == 0 && name[from.size()] == ':')
        name.replace(0, from.size(), to);
}

}  // namespace

Layout twinLayout(const Layout& master, std::string table, std::string prefix, int version) {
    Layout twin = master;
    twin.table = std::move(table);
    twin.prefix = std::move(prefix);
    twin.version = version;
    for (FieldDef& f : twin.fields) renamePrefix(f.name, master.prefix, twin.prefix);
    for (KeyDef& k : twin.keys) {
        renamePrefix(k.name, master.prefix, twin.prefix);
        renamePrefix(k.description, master.prefix, twin.prefix);
    }
    return twin;
}

}  // namespace cm
