#include "store/transaction.h"

#include <algorithm>

#include "store/store_connection.h"
#include "store/table_handle.h"

namespace cm {

Transaction::Transaction(std::vector<TableHandle*> tables) : m_tables(std::move(tables)) {}

Transaction::~Transaction() {
    try {
        rollback();
    } catch (...) {  // a destructor that unwinds must not throw
    }
}

bool Transaction::begin() {
    m_error.clear();
    if (m_active) return true;
    m_connections.clear();
    for (TableHandle* table : m_tables) {
        if (table == nullptr || !table->isOpen()) {
            m_error = StoreError::make(StoreCode::kFileNotFound,
                                       (table ? table->layout().table : std::string("A table")) + " is not open");
            return false;
        }
        const auto& connection = table->connection();
        if (std::find(m_connections.begin(), m_connections.end(), connection) == m_connections.end())
            m_connections.push_back(connection);
    }
    for (std::size_t i = 0; i < m_connections.size(); ++i) {
        StoreConnection& c = *m_connections[i];
        StoreError error;
        // A streaming batch is committed first: it is the caller's earlier work, not this one.
        bool ok = c.commitBatch(error) && c.exec("BEGIN IMMEDIATE", &error);
        if (!ok) {
            if (error.code == StoreCode::kFileLocked)
                error.text = c.path().filename().string() + " is locked by another process: " + error.text;
            for (std::size_t j = 0; j < i; ++j) m_connections[j]->exec("ROLLBACK");
            m_connections.clear();
            m_error = error;
            return false;
        }
    }
    m_active = true;
    return true;
}

bool Transaction::commit() {
    if (!m_active) {
        m_error = StoreError::make(StoreCode::kNoRecord, "No transaction to commit");
        return false;
    }
    for (std::size_t i = 0; i < m_connections.size(); ++i) {
        StoreError error;
        if (!m_connections[i]->exec("COMMIT", &error)) {
            for (std::size_t j = i; j < m_connections.size(); ++j) m_connections[j]->exec("ROLLBACK");
            m_connections.clear();
            m_active = false;
            m_error = error;
            refreshRevisions();
            return false;
        }
    }
    m_connections.clear();
    m_active = false;
    m_error.clear();
    return true;
}

void Transaction::rollback() {
    if (!m_active) return;
    for (auto& c : m_connections)
        if (c->inTransaction()) c->exec("ROLLBACK");
    m_connections.clear();
    m_active = false;
    refreshRevisions();
}

void Transaction::refreshRevisions() {
    for (TableHandle* table : m_tables)
        if (table) table->refreshRevision();
}

}  // namespace cm
