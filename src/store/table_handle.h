#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "store/layout.h"
#include "store/store_error.h"
#include "store/table_sql.h"

namespace cm {

class StoreConnection;

// One open use of a table with its own current-record buffer (the record struct the layout
// describes). Every operation reads into or writes from the buffer and leaves lastError();
// the int results are the error code. Handles on one store file share its connection.
class TableHandle {
public:
    TableHandle(const Layout& layout, void* buffer, std::string declaredName = {});
    virtual ~TableHandle();
    TableHandle(const TableHandle&) = delete;
    TableHandle& operator=(const TableHandle&) = delete;

    const Layout& layout() const { return m_layout; }
    // The declared name ("cm97\!s"); synchronization twins get theirs before they open.
    void setName(std::string declaredName);
    const std::string& name() const { return m_declaredName; }
    // The SQL table inside the file: "s", or the layout's table for a one-table file.
    std::string tableName() const;
    const StoreError& lastError() const { return m_error; }
    void clearError() { m_error.clear(); }

    // 0 when opened, 52 when already open, 2 when the file or the table is missing, 47 when the
    // stored layout is older, newer or lacks a column, 46 when a key's index is missing.
    int open();
    // Creates the file when missing and the table, its keys and its layout version.
    int create();
    void close();  // commits a streaming batch first
    bool isOpen() const { return m_connection != nullptr; }

    // Walks along a key. set() starts at the key's start: next() then gives the first record
    // and previous() the last. setFrom() starts at the key value in the buffer: next() gives
    // the first record at or after it, previous() the last at or before it.
    int set(int key);
    int setFrom(int key);
    // The same from given values of the key's components; components left out count as their
    // lowest value (an empty text, the smallest number).
    int setFrom(int key, const std::vector<FieldValue>& values);
    // From a record the caller remembers by its key values and record number, which need not
    // exist any more: next() gives the record after it in the key's order, previous() the one
    // before.
    int setAfter(int key, const std::vector<FieldValue>& values, std::int64_t recordNumber);
    // Walks along that key see only the records whose first components equal leading, until
    // clearRange(); walks along other keys are not affected.
    void setRange(int key, std::vector<FieldValue> leading);
    void clearRange();
    int next();
    int previous();
    int get(int key);  // exact match on the key's fields of the buffer; 35 when none
    int keyIndex(std::string_view keyName) const { return m_layout.keyIndex(keyName); }
    // The buffer's values of a key's components, texts as the store keeps them; empty for a
    // key the layout does not have.
    std::vector<FieldValue> keyValues(int key) const;
    // One field of the buffer as the layout reads it.
    FieldValue fieldValue(int field) const;

    // The current record's position and record number (its rec); 0/"" when there is none.
    std::string position() const;
    int reget(std::string_view position);
    std::int64_t recordNumber() const { return m_currentRec; }
    int getByNumber(std::int64_t recordNumber);

    int add();    // fills the record number; 40 names the duplicated key in the error text
    int put();    // rewrites the current record; 33 without one, 89 after a watch when it moved
    int erase();  // deletes the current record
    // Whether the buffer would duplicate another record on that unique key (any unique key).
    bool duplicateCheck(int key);
    bool duplicateCheck();
    int duplicatedKey() const { return m_duplicatedKey; }  // the key the last 40 was about, or -1
    std::int64_t records();  // -1 on error
    // After a watch every put of this handle checks that nobody changed the row since this
    // handle last read or wrote it.
    void watch();
    void clear();  // a blank record: empty texts, zero numbers

    // Streaming: writes collect in one transaction until flush() commits it. Callers flush
    // before they return to the event loop (once per tick of bulk work); close() flushes too.
    int stream();
    int flush();
    // "QUICKSCAN=on"/"QUICKSCAN=off" tune the page cache; "Recover=10" is accepted. False
    // (with an error text) for anything else.
    bool sendCommand(std::string_view command);
    int buildKeys();  // recreates missing key indexes and rebuilds them all

    const std::shared_ptr<StoreConnection>& connection() const { return m_connection; }
    // The file's connection without checking the table, for key rebuilds and migrations of a
    // table that failed to open; also prepares sql().
    std::shared_ptr<StoreConnection> maintenanceConnection(StoreError& error, bool create = false);
    const TableSql& sql() const { return *m_sql; }
    std::int64_t currentRevision() const { return m_currentRev; }
    // Re-reads the current row's revision: after a roll-back undid this handle's put, a
    // watched put must not take the row for changed by another station.
    void refreshRevision();

protected:
    void* buffer() { return m_buffer; }

private:
    enum class Walk { None, Start, From, After };

    int fail(StoreError error);
    int succeed();
    int failNoSql(int code, std::string text) { return fail(StoreError::make(code, std::move(text))); }
    int checkLayout();
    // values in the types of the key's components, padded with their lowest values.
    std::vector<FieldValue> keyCursor(int key, const std::vector<FieldValue>& values) const;
    bool keyAllBlank(int key) const;
    void bindFields(class Query& q) const;
    void readRow(const class Query& q);
    int step(bool forward);
    int fetchOne(class Query& q, bool keepCursor);
    int validKey(int key);
    int requireOpen();
    void findDuplicatedKey();

    const Layout& m_layout;
    void* m_buffer;
    std::string m_declaredName;
    std::unique_ptr<TableSql> m_sql;
    std::shared_ptr<StoreConnection> m_connection;
    StoreError m_error;

    std::int64_t m_currentRec = 0;
    std::int64_t m_currentRev = 0;
    bool m_watching = false;
    bool m_streaming = false;
    int m_duplicatedKey = -1;

    int m_walkKey = -1;
    Walk m_walk = Walk::None;
    std::vector<FieldValue> m_cursor;
    std::int64_t m_cursorRec = 0;

    int m_rangeKey = -1;
    std::vector<FieldValue> m_range;
};

namespace table_detail {
template <class R>
struct RecordHolder {
    R m_record{};
};
}  // namespace table_detail

// A table handle that owns its record buffer. The buffer is constructed before the handle
// that points at it.
template <class R>
class Table : private table_detail::RecordHolder<R>, public TableHandle {
public:
    explicit Table(const Layout& layout, std::string declaredName = {})
        : TableHandle(layout, &this->m_record, std::move(declaredName)) {}
    R& record() { return this->m_record; }
    const R& record() const { return this->m_record; }
};

}  // namespace cm
