#include "store/table_sql.h"

#include "store/store_connection.h"

namespace cm {

namespace {

std::string placeholders(std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += i == 0 ? "?" : ", ?";
    return out;
}

std::string sqlType(const FieldDef& f) {
    if (!f.isText()) return "INTEGER NOT NULL DEFAULT 0";
    if (f.type == FieldType::Memo) return "TEXT NOT NULL DEFAULT ''";
    return std::string("TEXT COLLATE ") + StoreConnection::kCollation + " NOT NULL DEFAULT ''";
}

}  // namespace

TableSql::TableSql(const Layout& layout, std::string table)
    : m_layout(layout), m_table(std::move(table)), m_quoted(quote(m_table)) {
    std::string columns = "rec, rev";
    std::string assignments;
    for (const FieldDef& f : m_layout.fields) {
        columns += ", " + quote(f.column());
        assignments += quote(f.column()) + " = ?, ";
    }
    std::string fieldColumns;
    for (std::size_t i = 0; i < m_layout.fields.size(); ++i)
        fieldColumns += (i == 0 ? "" : ", ") + quote(m_layout.fields[i].column());

    m_select = "SELECT " + columns + " FROM " + m_quoted;
    m_byNumber = m_select + " WHERE rec = ?";
    m_insert = "INSERT INTO " + m_quoted + " (" + fieldColumns + ") VALUES (" + placeholders(m_layout.fields.size()) + ")";
    m_update = "UPDATE " + m_quoted + " SET " + assignments + "rev = rev + 1 WHERE rec = ?";
    m_updateWatched = m_update + " AND rev = ?";
    m_erase = "DELETE FROM " + m_quoted + " WHERE rec = ?";
    m_count = "SELECT count(*) FROM " + m_quoted;
    m_revision = "SELECT rev FROM " + m_quoted + " WHERE rec = ?";

    for (const KeyDef& key : m_layout.keys) {
        KeySql k;
        const std::string blank = blankPredicate(key);
        const std::string cols = keyColumns(key);
        const std::string where = blank.empty() ? " WHERE " : " WHERE " + blank + " AND ";
        const std::string params = placeholders(key.fields.size());
        for (int forward = 0; forward < 2; ++forward) {
            const std::string order = orderBy(key, forward != 0) + " LIMIT 1";
            k.start[forward] = m_select + (blank.empty() ? "" : " WHERE " + blank) + order;
            k.from[forward] = m_select + where + "(" + cols + ") " + (forward ? ">=" : "<=") + " (" + params + ")" + order;
            k.after[forward] =
                m_select + where + "(" + cols + ", rec) " + (forward ? ">" : "<") + " (" + params + ", ?)" + order;
        }
        std::string match;
        for (std::size_t i = 0; i < key.fields.size(); ++i)
            match += (i == 0 ? "" : " AND ") + quote(m_layout.fields[key.fields[i]].column()) + " = ?";
        k.get = m_select + where + match + " ORDER BY rec LIMIT 1";
        k.duplicate = "SELECT rec FROM " + m_quoted + where + match + " AND rec <> ? LIMIT 1";
        k.ranged.resize(key.fields.size());
        m_keys.push_back(std::move(k));
    }
}

const TableSql::WalkSql& TableSql::rangedWalks(int key, int rangeLength) const {
    WalkSql& w = m_keys[key].ranged[static_cast<std::size_t>(rangeLength - 1)];
    if (!w.start[0].empty()) return w;
    const KeyDef& k = m_layout.keys[key];
    const std::string blank = blankPredicate(k);
    // Equality on the fixed components and a keyset comparison on the rest: SQLite takes a
    // row-value range only on the index columns after its equality prefix.
    std::string where = " WHERE " + (blank.empty() ? std::string() : blank + " AND ");
    std::string rest;
    for (std::size_t i = 0; i < k.fields.size(); ++i) {
        const std::string column = quote(m_layout.fields[k.fields[i]].column());
        if (static_cast<int>(i) < rangeLength)
            where += (i == 0 ? "" : " AND ") + column + " = ?";
        else
            rest += (rest.empty() ? "" : ", ") + column;
    }
    const std::string params = placeholders(k.fields.size() - static_cast<std::size_t>(rangeLength));
    for (int forward = 0; forward < 2; ++forward) {
        const std::string order = orderBy(k, forward != 0) + " LIMIT 1";
        w.start[forward] = m_select + where + order;
        w.from[forward] = rest.empty() ? w.start[forward]
                                       : m_select + where + " AND (" + rest + ") " + (forward ? ">=" : "<=") + " (" +
                                             params + ")" + order;
        w.after[forward] = m_select + where + " AND " +
                           (rest.empty() ? std::string("rec ") + (forward ? ">" : "<") + " ?"
                                         : "(" + rest + ", rec) " + (forward ? ">" : "<") + " (" + params + ", ?)") +
                           order;
    }
    return w;
}

const std::string& TableSql::walkStart(int key, bool forward, int rangeLength) const {
    return rangeLength == 0 ? walkStart(key, forward) : rangedWalks(key, rangeLength).start[forward];
}

const std::string& TableSql::walkFrom(int key, bool forward, int rangeLength) const {
    return rangeLength == 0 ? walkFrom(key, forward) : rangedWalks(key, rangeLength).from[forward];
}

const std::string& TableSql::walkAfter(int key, bool forward, int rangeLength) const {
    return rangeLength == 0 ? walkAfter(key, forward) : rangedWalks(key, rangeLength).after[forward];
}

std::string TableSql::quote(std::string_view identifier) {
    std::string out = "\"";
    for (char c : identifier) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string TableSql::createTable() const {
    std::string sql = "CREATE TABLE IF NOT EXISTS " + m_quoted + " (rec INTEGER PRIMARY KEY, rev INTEGER NOT NULL DEFAULT 0";
    for (std::size_t i = 0; i < m_layout.fields.size(); ++i) sql += ", " + columnDefinition(static_cast<int>(i));
    return sql + ")";
}

std::string TableSql::columnDefinition(int field) const {
    const FieldDef& f = m_layout.fields[field];
    return quote(f.column()) + " " + sqlType(f);
}

std::string TableSql::indexName(int key) const {
    const std::string& name = m_layout.keys[key].name;
    const auto colon = name.find(':');
    std::string out = m_table + "_";
    for (char c : colon == std::string::npos ? name : name.substr(colon + 1)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        out += plain ? c : '_';
    }
    return out;
}

std::string TableSql::createIndex(int key) const {
    const KeyDef& k = m_layout.keys[key];
    const std::string blank = blankPredicate(k);
    return std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS " + quote(indexName(key)) + " ON " +
           m_quoted + " (" + keyColumns(k) + ")" + (blank.empty() ? "" : " WHERE " + blank);
}

std::string TableSql::blankPredicate(const KeyDef& key) const {
    if (!key.excludeBlank) return {};
    std::string terms;
    for (std::size_t i = 0; i < key.fields.size(); ++i) {
        const FieldDef& f = m_layout.fields[key.fields[i]];
        terms += (i == 0 ? "" : " AND ") + quote(f.column()) + (f.isText() ? " = ''" : " = 0");
    }
    return "NOT (" + terms + ")";
}

std::string TableSql::keyColumns(const KeyDef& key) const {
    std::string out;
    for (std::size_t i = 0; i < key.fields.size(); ++i)
        out += (i == 0 ? "" : ", ") + quote(m_layout.fields[key.fields[i]].column());
    return out;
}

std::string TableSql::orderBy(const KeyDef& key, bool forward) const {
    const char* dir = forward ? "" : " DESC";
    std::string out = " ORDER BY ";
    for (int field : key.fields) out += quote(m_layout.fields[field].column()) + dir + ", ";
    return out + "rec" + dir;
}

}  // namespace cm
