#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unordered_map>

#include "store/store_error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace cm {

class StoreConnection;

// One use of a cached prepared statement. The destructor resets it and clears its bindings,
// so no reader stays open between calls (an open reader would hold back WAL checkpoints).
class Query {
public:
    enum class Step { Row, Done, Error };

    Query(StoreConnection& connection, const std::string& sql);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view value);
    Step step();
    std::int64_t columnInt(int column) const;
    std::string columnText(int column) const;
    bool columnIsNull(int column) const;
    // Why the statement could not be prepared or the last step failed.
    const StoreError& error() const { return m_error; }

private:
    StoreConnection& m_connection;
    sqlite3_stmt* m_stmt = nullptr;
    StoreError m_error;
};

// The one SQLite connection of a store file in this process. Every table handle on the file
// shares it, so a transaction over several tables of the file never waits on the program
// itself. Connections stay open after their last handle closes, with their statements warm.
class StoreConnection {
public:
    static constexpr int kBusyTimeoutMs = 2000;
    static constexpr const char* kCollation = "CMKEY";
    // Thirteen keys on a task table outgrow SQLite's 2 MB default page cache at 10^5 rows.
    static constexpr int kDefaultCacheKiB = 16384;

    // The connection of file, opened when this process has none. create allows a missing file
    // to be made; an existing file that is not a store is never written to.
    static std::shared_ptr<StoreConnection> open(const std::filesystem::path& file, bool create, StoreError& error);
    // Closes every connection no table handle uses any more.
    static void closeIdle();

    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Rollback journal with synchronous=FULL (network file system, or marked shared) instead
    // of WAL with synchronous=NORMAL.
    bool usesRollbackJournal() const { return m_rollbackJournal; }

    // Runs statements without results; false with error set on failure.
    bool exec(const std::string& sql, StoreError* error = nullptr);
    std::int64_t lastInsertRowid() const;
    int changes() const;
    bool inTransaction() const;

    // The streaming batch: one write transaction that callers commit before they return to the
    // event loop. A transaction begun over tables commits an open batch first.
    bool beginBatch(StoreError& error);
    bool commitBatch(StoreError& error);
    bool batchOpen() const { return m_batchOpen; }

    void setCacheSizeKiB(int kib);

    // SQLite's last error on this connection in the store's vocabulary.
    StoreError lastError(int resultCode) const;

private:
    friend class Query;
    StoreConnection() = default;
    sqlite3_stmt* statement(const std::string& sql, StoreError& error);

    sqlite3* m_db = nullptr;
    std::filesystem::path m_path;
    bool m_rollbackJournal = false;
    bool m_batchOpen = false;
    pid_t m_pid = 0;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

// True when the folder lives on a network or user-space file system (NFS, SMB/CIFS, FUSE),
// where WAL's shared memory cannot work across machines.
bool isNetworkFileSystem(const std::filesystem::path& folder);

}  // namespace cm
