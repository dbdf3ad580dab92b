#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/store_error.h"

namespace cm {

class Runtime;
class TableHandle;

// The data-file upgrade manager: what start-up declared (the driver, the skipped entry, the
// tables with their layout versions), and the upgrade of one table's file on request.
class UpgradeManager {
public:
    struct Registration {
        std::string prefix;
        std::string table;
        int version = 0;
    };

    static UpgradeManager& instance();

    void declareDriver(std::string_view name);
    void skip(std::string_view entry);
    void registerTable(std::string_view prefix, std::string_view table, int version);
    void reset();

    const std::string& driver() const { return m_driver; }
    const std::vector<std::string>& skipped() const { return m_skipped; }
    const std::vector<Registration>& registrations() const { return m_registrations; }

    // Backs the store up and brings the table to its declared layout; false leaves the store
    // as it was, with the reason in error.
    bool upgrade(TableHandle& table, StoreError& error);

private:
    std::string m_driver;
    std::vector<std::string> m_skipped;
    std::vector<Registration> m_registrations;
};

// RegisterTables: the driver "Tps", skipping "AllFiles", then every table of the catalog with
// its prefix and version, in the catalog's order. Called once at start-up.
void registerTables(UpgradeManager& manager = UpgradeManager::instance());

// OpenOrCreateTable: opens the table, creating it when missing, rebuilding its keys or
// upgrading its layout as needed. Hopeless failures show their standard warning and end the
// program through the runtime; the result says whether the table is open.
bool openOrCreateTable(TableHandle& table, Runtime& runtime);

// The process-wide use counters. A caller that needs a table uses it (opened only when the
// count is 0) and leaves it after its operation (closed when the count is back at 0). Callers
// that share a handle share its count.
class TableUsage {
public:
    static bool use(TableHandle& table, Runtime& runtime);  // false when it could not be opened
    static void leave(TableHandle& table);
    static int count(const TableHandle& table);
};

// One use of a table for the length of a scope.
class TableUse {
public:
    TableUse(TableHandle& table, Runtime& runtime) : m_table(table), m_open(TableUsage::use(table, runtime)) {}
    ~TableUse() {
        if (m_open) TableUsage::leave(m_table);
    }
    TableUse(const TableUse&) = delete;
    TableUse& operator=(const TableUse&) = delete;
    bool open() const { return m_open; }

private:
    TableHandle& m_table;
    bool m_open;
};

}  // namespace cm
