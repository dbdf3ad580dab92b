#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/store_error.h"

namespace cm {

class StoreConnection;
class TableHandle;

// Layout versions are recorded per table in each store file. Bringing an older table up to
// the declared layout runs inside one transaction after a dated backup beside the store; it
// adds what the table lacks and recreates the keys, and never drops a column or a row.
class LayoutMigration {
public:
    static constexpr const char* kVersionsTable = "_layouts";
    // The key collation is recorded beside the layouts: when the case folding changes, every
    // index built with the old one is out of order and must be rebuilt.
    static constexpr const char* kCollationEntry = "#collation";
    static constexpr int kCollationVersion = 1;

    // Nothing when the file records no version for the table.
    static std::optional<int> recordedVersion(StoreConnection& connection, const std::string& table, StoreError& error);
    static bool recordVersion(StoreConnection& connection, const std::string& table, int version, StoreError& error);
    static std::vector<std::string> columns(StoreConnection& connection, const std::string& table, StoreError& error);

    // "CM97-20261211-153000.TPS.bak" beside the store; the path, or empty with error set.
    static std::filesystem::path backup(StoreConnection& connection, StoreError& error);

    // Brings the handle's table to its layout. The handle must be closed; it stays closed.
    // A newer recorded version, or any failure, leaves the store as it was and returns false.
    static bool migrate(TableHandle& handle, StoreError& error);
};

}  // namespace cm
