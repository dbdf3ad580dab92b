#pragma once

#include <memory>
#include <vector>

#include "store/store_error.h"

namespace cm {

class StoreConnection;
class TableHandle;

// A transaction over a list of tables: BEGIN IMMEDIATE on the connection of each store file
// involved, waiting at most the 2-second busy time-out, so a store held by another process
// gives a failure instead of a hang. The destructor rolls back what was not committed and
// never throws.
//
// Tables of one file share one connection and commit atomically. Over several files there is
// one transaction per file, committed one after the other: a crash between two commits can
// leave the first file committed and the second not. The integrity rules only ever frame
// tables of the one store file together.
class Transaction {
public:
    explicit Transaction(std::vector<TableHandle*> tables);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when a table is not open or a file could not be locked in time (code 32, "locked").
    bool begin();
    bool commit();
    void rollback();
    bool active() const { return m_active; }
    const StoreError& lastError() const { return m_error; }

private:
    void refreshRevisions();

    std::vector<TableHandle*> m_tables;
    std::vector<std::shared_ptr<StoreConnection>> m_connections;
    bool m_active = false;
    StoreError m_error;
};

}  // namespace cm
