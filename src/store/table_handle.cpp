#include "store/table_handle.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "base/case_fold.h"
#include "base/fixed_text.h"
#include "store/layout_migration.h"
#include "store/store_connection.h"
#include "store/table_name.h"

namespace cm {

namespace {

constexpr int kQuickScanCacheKiB = 65536;

void bindValue(Query& q, int index, const FieldValue& v) {
    if (std::holds_alternative<std::int64_t>(v))
        q.bind(index, std::get<std::int64_t>(v));
    else
        q.bind(index, std::string_view(std::get<std::string>(v)));
}

bool objectExists(StoreConnection& c, const char* type, const std::string& name, StoreError& error) {
    Query q(c, "SELECT count(*) FROM sqlite_master WHERE type = ? AND name = ? COLLATE NOCASE");
    if (!q.ok()) {
        error = q.error();
        return false;
    }
    q.bind(1, std::string_view(type));
    q.bind(2, std::string_view(name));
    if (q.step() != Query::Step::Row) {
        error = q.error();
        return false;
    }
    return q.columnInt(0) > 0;
}

// Key order of two values of one component: texts through the store's collation.
int compareKeyValue(const FieldValue& a, const FieldValue& b) {
    if (std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b)) {
        const std::int64_t x = std::get<std::int64_t>(a), y = std::get<std::int64_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (std::holds_alternative<std::string>(a) && std::holds_alternative<std::string>(b))
        return CaseFold::compare(std::get<std::string>(a), std::get<std::string>(b));
    return std::holds_alternative<std::int64_t>(a) ? -1 : 1;  // SQLite's order: numbers before texts
}

}  // namespace

TableHandle::TableHandle(const Layout& layout, void* buffer, std::string declaredName)
    : m_layout(layout), m_buffer(buffer), m_declaredName(std::move(declaredName)) {}

TableHandle::~TableHandle() { close(); }

void TableHandle::setName(std::string declaredName) { m_declaredName = std::move(declaredName); }

std::string TableHandle::tableName() const { return TableName::parse(m_declaredName, m_layout.table).table; }

int TableHandle::fail(StoreError error) {
    m_error = std::move(error);
    return m_error.code;
}

int TableHandle::succeed() {
    m_error.clear();
    return StoreCode::kOk;
}

std::shared_ptr<StoreConnection> TableHandle::maintenanceConnection(StoreError& error, bool create) {
    const TableName name = TableName::parse(m_declaredName, m_layout.table);
    if (name.file.empty()) {
        error = StoreError::make(StoreCode::kFileNotFound, "No file name has been set for " + m_layout.table);
        return nullptr;
    }
    const std::filesystem::path path = StoreFiles::locate(name.file);
    if (path.empty()) {
        error = StoreError::make(StoreCode::kFileNotFound, "The data folder has not been set");
        return nullptr;
    }
    auto connection = StoreConnection::open(path, create, error);
    if (connection) m_sql = std::make_unique<TableSql>(m_layout, name.table);
    return connection;
}

int TableHandle::open() {
    if (isOpen()) return fail(StoreError::make(StoreCode::kAlreadyOpen, m_layout.table + " is already open"));
    StoreError error;
    auto connection = maintenanceConnection(error);
    if (!connection) return fail(error);
    m_connection = connection;
    const int code = checkLayout();
    if (code != StoreCode::kOk) m_connection.reset();
    return code;
}

int TableHandle::checkLayout() {
    StoreConnection& c = *m_connection;
    const std::string& table = m_sql->table();
    StoreError error;
    if (!objectExists(c, "table", table, error)) {
        if (!error.ok()) return fail(error);
        return failNoSql(StoreCode::kFileNotFound, "Table " + table + " not found in " + c.path().filename().string());
    }
    const auto version = LayoutMigration::recordedVersion(c, table, error);
    if (!error.ok()) return fail(error);
    if (version && *version != m_layout.version)
        return failNoSql(StoreCode::kLayoutDiffers, "Table " + table + " has layout version " + std::to_string(*version) +
                                                        ", this program uses " + std::to_string(m_layout.version));
    const auto columns = LayoutMigration::columns(c, table, error);
    if (!error.ok()) return fail(error);
    for (const FieldDef& f : m_layout.fields) {
        bool found = false;
        for (const std::string& col : columns) found = found || CaseFold::equal(col, f.column());
        if (!found) return failNoSql(StoreCode::kLayoutDiffers, "Table " + table + " has no field " + f.name);
    }
    const auto collation = LayoutMigration::recordedVersion(c, LayoutMigration::kCollationEntry, error);
    if (!error.ok()) return fail(error);
    if (collation && *collation != LayoutMigration::kCollationVersion)
        return failNoSql(StoreCode::kKeysInvalid, "The key order of " + c.path().filename().string() + " has changed");
    for (std::size_t k = 0; k < m_layout.keys.size(); ++k) {
        if (!objectExists(c, "index", m_sql->indexName(static_cast<int>(k)), error)) {
            if (!error.ok()) return fail(error);
            return failNoSql(StoreCode::kKeysInvalid, "Key " + m_layout.keys[k].name + " is missing");
        }
    }
    return succeed();
}

int TableHandle::create() {
    StoreError error;
    auto connection = maintenanceConnection(error, true);
    if (!connection) return fail(error);
    const bool ownTransaction = !connection->inTransaction();
    if (ownTransaction && !connection->exec("BEGIN IMMEDIATE", &error)) return fail(error);
    bool ok = connection->exec(m_sql->createTable(), &error);
    for (std::size_t k = 0; ok && k < m_layout.keys.size(); ++k)
        ok = connection->exec(m_sql->createIndex(static_cast<int>(k)), &error);
    if (ok && !LayoutMigration::recordedVersion(*connection, m_sql->table(), error) && error.ok())
        ok = LayoutMigration::recordVersion(*connection, m_sql->table(), m_layout.version, error);
    if (ok && error.ok() && !LayoutMigration::recordedVersion(*connection, LayoutMigration::kCollationEntry, error) &&
        error.ok())
        ok = LayoutMigration::recordVersion(*connection, LayoutMigration::kCollationEntry,
                                            LayoutMigration::kCollationVersion, error);
    ok = ok && error.ok();
    if (ownTransaction) {
        if (ok)
            ok = connection->exec("COMMIT", &error);
        if (!ok) connection->exec("ROLLBACK");
    }
    return ok ? succeed() : fail(error);
}

void TableHandle::close() {
    if (m_streaming) flush();
    m_connection.reset();
    m_currentRec = 0;
    m_watching = false;
    m_walk = Walk::None;
    m_walkKey = -1;
}

int TableHandle::requireOpen() {
    if (isOpen()) return StoreCode::kOk;
    return failNoSql(StoreCode::kFileNotFound, m_layout.table + " is not open");
}

int TableHandle::validKey(int key) {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    if (key < 0 || key >= static_cast<int>(m_layout.keys.size()))
        return failNoSql(StoreCode::kNotFound, "No such key on " + m_layout.table);
    return StoreCode::kOk;
}

std::vector<FieldValue> TableHandle::keyValues(int key) const {
    std::vector<FieldValue> values;
    if (key < 0 || key >= static_cast<int>(m_layout.keys.size())) return values;
    for (int index : m_layout.keys[key].fields) {
        const FieldDef& f = m_layout.fields[index];
        if (f.isText())
            values.emplace_back(FixedText::stored(f.getText(m_buffer), static_cast<std::size_t>(f.width)));
        else
            values.emplace_back(f.getInt(m_buffer));
    }
    return values;
}

FieldValue TableHandle::fieldValue(int field) const {
    const FieldDef& f = m_layout.fields.at(static_cast<std::size_t>(field));
    if (f.isText()) return f.getText(m_buffer);
    return f.getInt(m_buffer);
}

std::vector<FieldValue> TableHandle::keyCursor(int key, const std::vector<FieldValue>& values) const {
    const std::vector<int>& fields = m_layout.keys[key].fields;
    std::vector<FieldValue> cursor;
    cursor.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = m_layout.fields[fields[i]];
        const FieldValue* v = i < values.size() ? &values[i] : nullptr;
        if (f.isText()) {
            const std::string* text = v ? std::get_if<std::string>(v) : nullptr;
            if (text != nullptr)
                cursor.emplace_back(FixedText::stored(*text, static_cast<std::size_t>(f.width)));
            else if (v != nullptr)
                cursor.emplace_back(std::to_string(std::get<std::int64_t>(*v)));
            else
                cursor.emplace_back(std::string());
        } else {
            const std::int64_t* number = v ? std::get_if<std::int64_t>(v) : nullptr;
            std::int64_t value = std::numeric_limits<std::int64_t>::min();
            if (number != nullptr) {
                value = *number;
            } else if (v != nullptr) {
                // A typed text for a number: its value, or 0 as a blank number field reads.
                const std::string& text = std::get<std::string>(*v);
                value = 0;
                std::from_chars(text.data(), text.data() + text.size(), value);
            }
            cursor.emplace_back(value);
        }
    }
    return cursor;
}

bool TableHandle::keyAllBlank(int key) const {
    for (const FieldValue& v : keyValues(key)) {
        if (std::holds_alternative<std::int64_t>(v) ? std::get<std::int64_t>(v) != 0 : !std::get<std::string>(v).empty())
            return false;
    }
    return true;
}

void TableHandle::bindFields(Query& q) const {
    int index = 1;
    for (const FieldDef& f : m_layout.fields) {
        if (f.type == FieldType::Memo)
            q.bind(index++, std::string_view(FixedText::cut(f.getText(m_buffer), static_cast<std::size_t>(f.width))));
        else if (f.isText())
            q.bind(index++, std::string_view(FixedText::stored(f.getText(m_buffer), static_cast<std::size_t>(f.width))));
        else
            q.bind(index++, f.getInt(m_buffer));
    }
}

void TableHandle::readRow(const Query& q) {
    m_currentRec = q.columnInt(0);
    m_currentRev = q.columnInt(1);
    int column = TableSql::kFirstFieldColumn;
    for (const FieldDef& f : m_layout.fields) {
        if (f.isText())
            f.setText(m_buffer, q.columnText(column++));
        else
            f.setInt(m_buffer, q.columnInt(column++));
    }
}

int TableHandle::set(int key) {
    if (int code = validKey(key); code != StoreCode::kOk) return code;
    m_walkKey = key;
    m_walk = Walk::Start;
    return succeed();
}

int TableHandle::setFrom(int key) {
    if (int code = validKey(key); code != StoreCode::kOk) return code;
    m_walkKey = key;
    m_walk = Walk::From;
    m_cursor = keyValues(key);
    return succeed();
}

int TableHandle::setFrom(int key, const std::vector<FieldValue>& values) {
    if (int code = validKey(key); code != StoreCode::kOk) return code;
    m_walkKey = key;
    m_walk = Walk::From;
    m_cursor = keyCursor(key, values);
    return succeed();
}

int TableHandle::setAfter(int key, const std::vector<FieldValue>& values, std::int64_t recordNumber) {
    if (int code = validKey(key); code != StoreCode::kOk) return code;
    m_walkKey = key;
    m_walk = Walk::After;
    m_cursor = keyCursor(key, values);
    m_cursorRec = recordNumber;
    return succeed();
}

void TableHandle::setRange(int key, std::vector<FieldValue> leading) {
    if (key < 0 || key >= static_cast<int>(m_layout.keys.size()) || leading.empty()) {
        clearRange();
        return;
    }
    const std::size_t n = std::min(leading.size(), m_layout.keys[key].fields.size());
    leading.resize(n);
    m_range = keyCursor(key, leading);
    m_range.resize(n);
    m_rangeKey = key;
}

void TableHandle::clearRange() {
    m_rangeKey = -1;
    m_range.clear();
}

int TableHandle::next() { return step(true); }

int TableHandle::previous() { return step(false); }

int TableHandle::step(bool forward) {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    if (m_walkKey < 0 || m_walk == Walk::None) return failNoSql(StoreCode::kNoRecord, "No walk has been set");
    const int ranged = m_rangeKey == m_walkKey ? static_cast<int>(m_range.size()) : 0;
    Walk walk = m_walk;
    if (ranged > 0 && walk != Walk::Start) {
        // A position outside the range lies wholly before or after it: the walk then starts
        // at the range's near end, or finds nothing.
        int order = 0;
        for (int i = 0; i < ranged && order == 0; ++i) order = compareKeyValue(m_cursor[i], m_range[i]);
        if (order != 0) {
            if ((order < 0) != forward)
                return failNoSql(StoreCode::kNoRecord, forward ? "End of file" : "Beginning of file");
            walk = Walk::Start;
        }
    }
    const std::string& sql = walk == Walk::Start  ? m_sql->walkStart(m_walkKey, forward, ranged)
                             : walk == Walk::From ? m_sql->walkFrom(m_walkKey, forward, ranged)
                                                  : m_sql->walkAfter(m_walkKey, forward, ranged);
    Query q(*m_connection, sql);
    if (!q.ok()) return fail(q.error());
    int index = 1;
    for (int i = 0; i < ranged; ++i) bindValue(q, index++, m_range[i]);
    if (walk != Walk::Start)
        for (std::size_t i = static_cast<std::size_t>(ranged); i < m_cursor.size(); ++i)
            bindValue(q, index++, m_cursor[i]);
    if (walk == Walk::After) q.bind(index, m_cursorRec);
    switch (q.step()) {
    case Query::Step::Row:
        readRow(q);
        m_cursor = keyValues(m_walkKey);
        m_cursorRec = m_currentRec;
        m_walk = Walk::After;
        return succeed();
    case Query::Step::Done:
        return failNoSql(StoreCode::kNoRecord, forward ? "End of file" : "Beginning of file");
    case Query::Step::Error:
        break;
    }
    return fail(q.error());
}

int TableHandle::fetchOne(Query& q, bool byKey) {
    switch (q.step()) {
    case Query::Step::Row:
        readRow(q);
        return succeed();
    case Query::Step::Done:
        return byKey ? failNoSql(StoreCode::kNotFound, "Record not found")
                     : failNoSql(StoreCode::kNoRecord, "Record not available");
    case Query::Step::Error:
        break;
    }
    return fail(q.error());
}

int TableHandle::get(int key) {
    if (int code = validKey(key); code != StoreCode::kOk) return code;
    if (m_layout.keys[key].excludeBlank && keyAllBlank(key)) return failNoSql(StoreCode::kNotFound, "Record not found");
    Query q(*m_connection, m_sql->get(key));
    if (!q.ok()) return fail(q.error());
    int index = 1;
    for (const FieldValue& v : keyValues(key)) bindValue(q, index++, v);
    return fetchOne(q, true);
}

std::string TableHandle::position() const { return m_currentRec == 0 ? std::string() : std::to_string(m_currentRec); }

void TableHandle::refreshRevision() {
    if (m_currentRec == 0 || !m_connection) return;
    Query q(*m_connection, m_sql->revisionOf());
    if (!q.ok()) return;
    q.bind(1, m_currentRec);
    if (q.step() == Query::Step::Row) m_currentRev = q.columnInt(0);
}

int TableHandle::reget(std::string_view position) {
    std::int64_t rec = 0;
    const auto [end, ec] = std::from_chars(position.data(), position.data() + position.size(), rec);
    if (ec != std::errc() || end != position.data() + position.size() || rec <= 0)
        return failNoSql(StoreCode::kNoRecord, "Invalid record position");
    return getByNumber(rec);
}

int TableHandle::getByNumber(std::int64_t recordNumber) {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    Query q(*m_connection, m_sql->selectByNumber());
    if (!q.ok()) return fail(q.error());
    q.bind(1, recordNumber);
    return fetchOne(q, false);
}

void TableHandle::findDuplicatedKey() {
    m_duplicatedKey = -1;
    for (std::size_t k = 0; k < m_layout.keys.size() && m_duplicatedKey < 0; ++k)
        if (m_layout.keys[k].unique && duplicateCheck(static_cast<int>(k))) m_duplicatedKey = static_cast<int>(k);
    m_error = StoreError::make(StoreCode::kDuplicateKey,
                               m_duplicatedKey < 0 ? "Creates a duplicate key"
                                                   : "Creates a duplicate entry for the key " +
                                                         m_layout.keys[m_duplicatedKey].name);
}

int TableHandle::add() {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    StoreError error;
    if (m_streaming && !m_connection->beginBatch(error)) return fail(error);
    Query q(*m_connection, m_sql->insert());
    if (!q.ok()) return fail(q.error());
    bindFields(q);
    if (q.step() != Query::Step::Done) {
        if (q.error().code != StoreCode::kDuplicateKey) return fail(q.error());
        const std::int64_t current = m_currentRec;
        m_currentRec = 0;
        findDuplicatedKey();
        m_currentRec = current;
        return m_error.code;
    }
    m_currentRec = m_connection->lastInsertRowid();
    m_currentRev = 0;
    return succeed();
}

int TableHandle::put() {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    if (m_currentRec == 0) return failNoSql(StoreCode::kNoRecord, "No current record");
    StoreError error;
    if (m_streaming && !m_connection->beginBatch(error)) return fail(error);
    std::int64_t changed = 0;
    {
        Query q(*m_connection, m_watching ? m_sql->updateWatched() : m_sql->update());
        if (!q.ok()) return fail(q.error());
        bindFields(q);
        const int index = static_cast<int>(m_layout.fields.size()) + 1;
        q.bind(index, m_currentRec);
        if (m_watching) q.bind(index + 1, m_currentRev);
        if (q.step() != Query::Step::Done) {
            if (q.error().code != StoreCode::kDuplicateKey) return fail(q.error());
            findDuplicatedKey();
            return m_error.code;
        }
        changed = m_connection->changes();
    }
    if (changed == 0) {
        if (m_watching) return failNoSql(StoreCode::kChanged, "This record was changed by another station.");
        return failNoSql(StoreCode::kNoRecord, "The record no longer exists");
    }
    ++m_currentRev;
    return succeed();
}

int TableHandle::erase() {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    if (m_currentRec == 0) return failNoSql(StoreCode::kNoRecord, "No current record");
    StoreError error;
    if (m_streaming && !m_connection->beginBatch(error)) return fail(error);
    Query q(*m_connection, m_sql->erase());
    if (!q.ok()) return fail(q.error());
    q.bind(1, m_currentRec);
    if (q.step() != Query::Step::Done) return fail(q.error());
    if (m_connection->changes() == 0) return failNoSql(StoreCode::kNoRecord, "The record no longer exists");
    m_currentRec = 0;
    return succeed();
}

bool TableHandle::duplicateCheck(int key) {
    if (validKey(key) != StoreCode::kOk || !m_layout.keys[key].unique) return false;
    if (m_layout.keys[key].excludeBlank && keyAllBlank(key)) return false;
    Query q(*m_connection, m_sql->duplicate(key));
    if (!q.ok()) {
        fail(q.error());
        return false;
    }
    int index = 1;
    for (const FieldValue& v : keyValues(key)) bindValue(q, index++, v);
    q.bind(index, m_currentRec);
    const Query::Step step = q.step();
    if (step == Query::Step::Error) fail(q.error());
    return step == Query::Step::Row;
}

bool TableHandle::duplicateCheck() {
    for (std::size_t k = 0; k < m_layout.keys.size(); ++k)
        if (duplicateCheck(static_cast<int>(k))) return true;
    return false;
}

std::int64_t TableHandle::records() {
    if (requireOpen() != StoreCode::kOk) return -1;
    Query q(*m_connection, m_sql->count());
    if (!q.ok() || q.step() != Query::Step::Row) {
        fail(q.error());
        return -1;
    }
    succeed();
    return q.columnInt(0);
}

void TableHandle::watch() { m_watching = true; }

void TableHandle::clear() {
    for (const FieldDef& f : m_layout.fields) {
        if (f.isText())
            f.setText(m_buffer, {});
        else
            f.setInt(m_buffer, 0);
    }
}

int TableHandle::stream() {
    if (int code = requireOpen(); code != StoreCode::kOk) return code;
    StoreError error;
    if (!m_connection->beginBatch(error)) return fail(error);
    m_streaming = true;
    return succeed();
}

int TableHandle::flush() {
    m_streaming = false;
    if (!isOpen()) return succeed();
    StoreError error;
    return m_connection->commitBatch(error) ? succeed() : fail(error);
}

bool TableHandle::sendCommand(std::string_view command) {
    const std::string_view text = FixedText::trimTrailingBlanks(command);
    if (CaseFold::equal(text, "QUICKSCAN=on") || CaseFold::equal(text, "QUICKSCAN=off")) {
        if (requireOpen() != StoreCode::kOk) return false;
        m_connection->setCacheSizeKiB(CaseFold::equal(text, "QUICKSCAN=on") ? kQuickScanCacheKiB
                                                                            : StoreConnection::kDefaultCacheKiB);
        succeed();
        return true;
    }
    // Nothing to recover by hand: SQLite rolls back a hot journal left by a crashed writer the
    // next time anyone reads the file, and a lock dies with the process that held it.
    if (CaseFold::equal(text, "Recover=10")) {
        succeed();
        return true;
    }
    failNoSql(StoreCode::kNotFound, "Unknown store command: " + std::string(text));
    return false;
}

int TableHandle::buildKeys() {
    StoreError error;
    auto connection = m_connection ? m_connection : maintenanceConnection(error);
    if (!connection) return fail(error);
    for (std::size_t k = 0; k < m_layout.keys.size(); ++k) {
        const int key = static_cast<int>(k);
        if (!connection->exec(m_sql->createIndex(key), &error) ||
            !connection->exec("REINDEX " + TableSql::quote(m_sql->indexName(key)), &error))
            return fail(error);
    }
    // Every index of the file uses the one collation, so the new order holds once all are rebuilt.
    if (!connection->exec("REINDEX " + std::string(StoreConnection::kCollation), &error) ||
        !LayoutMigration::recordVersion(*connection, LayoutMigration::kCollationEntry,
                                        LayoutMigration::kCollationVersion, error))
        return fail(error);
    return succeed();
}

}  // namespace cm
