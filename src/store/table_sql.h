#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/layout.h"

namespace cm {

// The SQL of one table, generated once from its layout. Every text column except memos
// compares through the key collation; every key is an index, partial when the key leaves out
// all-blank records, and every statement that walks or searches such a key repeats its
// predicate (SQLite uses a partial index, and leaves those rows out, only when told so).
// Walks are keyset queries with the record number as the last component, never OFFSET.
class TableSql {
public:
    TableSql(const Layout& layout, std::string table);

    static std::string quote(std::string_view identifier);

    const std::string& table() const { return m_table; }
    std::string createTable() const;
    std::string columnDefinition(int field) const;  // "\"Name\" TEXT COLLATE CMKEY NOT NULL DEFAULT ''"
    std::string indexName(int key) const;
    std::string createIndex(int key) const;

    // Selected columns: rec, rev, then the layout's fields in order.
    static constexpr int kFirstFieldColumn = 2;
    const std::string& selectByNumber() const { return m_byNumber; }
    const std::string& insert() const { return m_insert; }
    const std::string& update() const { return m_update; }          // fields..., rec
    const std::string& updateWatched() const { return m_updateWatched; }  // fields..., rec, rev
    const std::string& erase() const { return m_erase; }
    const std::string& count() const { return m_count; }
    const std::string& revisionOf() const { return m_revision; }

    // Along key: from its start (no parameters); from a key value (the key's components;
    // inclusive of that value); after a record (components, rec; exclusive). forward picks
    // the direction.
    const std::string& walkStart(int key, bool forward) const { return m_keys[key].start[forward]; }
    const std::string& walkFrom(int key, bool forward) const { return m_keys[key].from[forward]; }
    const std::string& walkAfter(int key, bool forward) const { return m_keys[key].after[forward]; }
    // The same walks within a range: the key's first rangeLength components equal to the
    // first parameters, the remaining components (and rec) bound after them. Made on first
    // use, so a table that never walks a range pays nothing for it.
    const std::string& walkStart(int key, bool forward, int rangeLength) const;
    const std::string& walkFrom(int key, bool forward, int rangeLength) const;
    const std::string& walkAfter(int key, bool forward, int rangeLength) const;
    // Exact match on the components, lowest record number first.
    const std::string& get(int key) const { return m_keys[key].get; }
    // Exact match on the components with a record number other than the last parameter.
    const std::string& duplicate(int key) const { return m_keys[key].duplicate; }

private:
    struct WalkSql {
        std::string start[2], from[2], after[2];
    };
    struct KeySql {
        std::string start[2], from[2], after[2], get, duplicate;
        // Index rangeLength - 1; sized once so references handed out stay valid.
        mutable std::vector<WalkSql> ranged;
    };
    const WalkSql& rangedWalks(int key, int rangeLength) const;
    std::string blankPredicate(const KeyDef& key) const;  // "NOT (...)", or empty
    std::string keyColumns(const KeyDef& key) const;
    std::string orderBy(const KeyDef& key, bool forward) const;

    const Layout& m_layout;
    std::string m_table;
    std::string m_quoted;
    std::string m_select;  // "SELECT rec, rev, ... FROM t"
    std::string m_byNumber, m_insert, m_update, m_updateWatched, m_erase, m_count, m_revision;
    std::vector<KeySql> m_keys;
};

}  // namespace cm
