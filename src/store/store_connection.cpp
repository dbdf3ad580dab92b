#include "store/store_connection.h"

#include <cstring>
#include <map>
#include <sqlite3.h>
#include <sys/statfs.h>
#include <unistd.h>

#include "base/case_fold.h"
#include "store/table_name.h"

namespace cm {

namespace {

// statfs magic numbers of the file systems where WAL must not be used.
constexpr long kNfsMagic = 0x6969;
constexpr long kSmbMagic = 0x517B;
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;
constexpr long kFuseMagic = 0x65735546;

std::map<std::string, std::shared_ptr<StoreConnection>>& connections() {
    static std::map<std::string, std::shared_ptr<StoreConnection>> all;
    return all;
}

int collateKey(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return CaseFold::compare(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                             std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

StoreError mapSqliteError(sqlite3* db, int rc) {
    const int extended = db != nullptr ? sqlite3_extended_errcode(db) : rc;
    const int primary = extended & 0xFF;
    std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    switch (primary) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return {};
    // A file that is not a database is the "invalid data file" of the store: nothing in it is
    // readable, so there is nothing to repair, unlike a damaged store (88).
    case SQLITE_NOTADB:
        return StoreError::make(StoreCode::kInvalidFile, message);
    case SQLITE_CORRUPT:
        return StoreError::make(extended == SQLITE_CORRUPT_INDEX ? StoreCode::kKeysInvalid : StoreCode::kDamaged,
                                message);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreError::make(StoreCode::kFileLocked, message);
    case SQLITE_CONSTRAINT:
        if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY)
            return StoreError::make(StoreCode::kDuplicateKey, message);
        return StoreError::make(StoreCode::kDamaged, message);
    default: {
        const int osErrno = db != nullptr ? sqlite3_system_errno(db) : 0;
        StoreError e = StoreError::make(StoreCode::kFileSystem, message);
        e.osErrno = osErrno;
        e.osMessage = osErrno != 0 ? std::strerror(osErrno) : message;
        return e;
    }
    }
}

}  // namespace

bool isNetworkFileSystem(const std::filesystem::path& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) return false;
    const long type = static_cast<long>(info.f_type);
    return type == kNfsMagic || type == kSmbMagic || type == kCifsMagic || type == kSmb2Magic || type == kFuseMagic;
}

Query::Query(StoreConnection& connection, const std::string& sql) : m_connection(connection) {
    m_stmt = connection.statement(sql, m_error);
}

Query::~Query() {
    if (m_stmt == nullptr) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Query::bind(int index, std::int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }

void Query::bind(int index, std::string_view value) {
    sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

Query::Step Query::step() {
    if (m_stmt == nullptr) return Step::Error;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return Step::Row;
    if (rc == SQLITE_DONE) return Step::Done;
    m_error = m_connection.lastError(rc);
    return Step::Error;
}

std::int64_t Query::columnInt(int column) const { return sqlite3_column_int64(m_stmt, column); }

std::string Query::columnText(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    if (text == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
}

bool Query::columnIsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

std::shared_ptr<StoreConnection> StoreConnection::open(const std::filesystem::path& file, bool create,
                                                       StoreError& error) {
    error.clear();
    std::error_code ec;
    const bool exists = std::filesystem::exists(file, ec);
    if (!exists && !create) {
        error = StoreError::make(StoreCode::kFileNotFound, "File not found: " + file.string());
        return nullptr;
    }
    const std::string key = std::filesystem::weakly_canonical(file, ec).string();
    auto& all = connections();
    if (auto it = all.find(key); it != all.end()) {
        // A connection inherited through fork() belongs to the parent; the child opens its own.
        if (it->second->m_pid == getpid() && (exists || !create)) return it->second;
        all.erase(it);
    }

    auto connection = std::shared_ptr<StoreConnection>(new StoreConnection());
    connection->m_path = file;
    connection->m_pid = getpid();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(file.c_str(), &connection->m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        error = mapSqliteError(connection->m_db, rc);
        if (error.code == StoreCode::kFileSystem && error.osErrno == ENOENT) error.code = StoreCode::kFileNotFound;
        return nullptr;
    }
    sqlite3_extended_result_codes(connection->m_db, 1);
    sqlite3_busy_timeout(connection->m_db, kBusyTimeoutMs);
    sqlite3_create_collation(connection->m_db, kCollation, SQLITE_UTF8, nullptr, &collateKey);

    // Read the schema before anything writes: a file that is not a store, or a damaged one, is
    // reported and left exactly as it was.
    if (!connection->exec("SELECT count(*) FROM sqlite_master", &error)) return nullptr;

    connection->m_rollbackJournal = StoreFiles::markedShared() || isNetworkFileSystem(file.parent_path());
    // Switching the journal fails while another process has the file open in the other mode;
    // the store then keeps the mode it has, which that process chose by the same rule.
    if (connection->m_rollbackJournal)
        connection->exec("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL");
    else
        connection->exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
    connection->exec("PRAGMA foreign_keys=OFF");
    connection->setCacheSizeKiB(kDefaultCacheKiB);
    all[key] = connection;
    return connection;
}

void StoreConnection::closeIdle() {
    auto& all = connections();
    for (auto it = all.begin(); it != all.end();) {
        if (it->second.use_count() == 1)
            it = all.erase(it);
        else
            ++it;
    }
}

StoreConnection::~StoreConnection() {
    // Closing a connection inherited through fork() would disturb the parent's locks and WAL.
    if (m_db == nullptr || m_pid != getpid()) return;
    for (auto& [sql, stmt] : m_statements) sqlite3_finalize(stmt);
    if (m_batchOpen) sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt* StoreConnection::statement(const std::string& sql, StoreError& error) {
    if (auto it = m_statements.find(sql); it != m_statements.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &stmt, nullptr);
    if (rc != SQLITE_OK) {
        error = lastError(rc);
        error.text += " [" + sql + "]";
        return nullptr;
    }
    m_statements.emplace(sql, stmt);
    return stmt;
}

bool StoreConnection::exec(const std::string& sql, StoreError* error) {
    const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return true;
    if (error != nullptr) *error = lastError(rc);
    return false;
}

std::int64_t StoreConnection::lastInsertRowid() const { return sqlite3_last_insert_rowid(m_db); }

int StoreConnection::changes() const { return sqlite3_changes(m_db); }

bool StoreConnection::inTransaction() const { return sqlite3_get_autocommit(m_db) == 0; }

bool StoreConnection::beginBatch(StoreError& error) {
    if (m_batchOpen || inTransaction()) return true;
    if (!exec("BEGIN IMMEDIATE", &error)) return false;
    m_batchOpen = true;
    return true;
}

bool StoreConnection::commitBatch(StoreError& error) {
    if (!m_batchOpen) return true;
    m_batchOpen = false;
    if (!inTransaction()) return true;
    if (exec("COMMIT", &error)) return true;
    exec("ROLLBACK");
    return false;
}

void StoreConnection::setCacheSizeKiB(int kib) { exec("PRAGMA cache_size=-" + std::to_string(kib)); }

StoreError StoreConnection::lastError(int resultCode) const { return mapSqliteError(m_db, resultCode); }

}  // namespace cm
