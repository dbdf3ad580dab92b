#include "store/layout_migration.h"

#include <ctime>

#include "base/case_fold.h"
#include "store/store_connection.h"
#include "store/table_handle.h"
#include "store/table_sql.h"

namespace cm {

namespace {

bool versionsTableExists(StoreConnection& c, StoreError& error) {
    Query q(c, std::string("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '") +
                   LayoutMigration::kVersionsTable + "'");
    if (!q.ok() || q.step() != Query::Step::Row) {
        error = q.error();
        return false;
    }
    return q.columnInt(0) > 0;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

}  // namespace

std::optional<int> LayoutMigration::recordedVersion(StoreConnection& c, const std::string& table, StoreError& error) {
    error.clear();
    if (!versionsTableExists(c, error)) return std::nullopt;
    Query q(c, std::string("SELECT version FROM ") + kVersionsTable + " WHERE name = ? COLLATE NOCASE");
    if (!q.ok()) {
        error = q.error();
        return std::nullopt;
    }
    q.bind(1, std::string_view(table));
    switch (q.step()) {
    case Query::Step::Row:
        return static_cast<int>(q.columnInt(0));
    case Query::Step::Done:
        return std::nullopt;
    case Query::Step::Error:
        break;
    }
    error = q.error();
    return std::nullopt;
}

bool LayoutMigration::recordVersion(StoreConnection& c, const std::string& table, int version, StoreError& error) {
    if (!c.exec(std::string("CREATE TABLE IF NOT EXISTS ") + kVersionsTable +
                    " (name TEXT PRIMARY KEY COLLATE NOCASE, version INTEGER NOT NULL)",
                &error))
        return false;
    Query q(c, std::string("INSERT OR REPLACE INTO ") + kVersionsTable + " (name, version) VALUES (?, ?)");
    if (!q.ok()) {
        error = q.error();
        return false;
    }
    q.bind(1, std::string_view(table));
    q.bind(2, static_cast<std::int64_t>(version));
    if (q.step() == Query::Step::Done) return true;
    error = q.error();
    return false;
}

std::vector<std::string> LayoutMigration::columns(StoreConnection& c, const std::string& table, StoreError& error) {
    std::vector<std::string> out;
    Query q(c, "SELECT name FROM pragma_table_info(?)");
    if (!q.ok()) {
        error = q.error();
        return out;
    }
    q.bind(1, std::string_view(table));
    Query::Step step;
    while ((step = q.step()) == Query::Step::Row) out.push_back(q.columnText(0));
    if (step == Query::Step::Error) error = q.error();
    return out;
}

std::filesystem::path LayoutMigration::backup(StoreConnection& c, StoreError& error) {
    const std::filesystem::path& store = c.path();
    const std::string base = store.stem().string() + "-" + timestamp();
    std::filesystem::path target = store.parent_path() / (base + store.extension().string() + ".bak");
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(target, ec); ++n)
        target = store.parent_path() / (base + "-" + std::to_string(n) + store.extension().string() + ".bak");
    Query q(c, "VACUUM INTO ?");
    if (!q.ok()) {
        error = q.error();
        return {};
    }
    q.bind(1, std::string_view(target.string()));
    if (q.step() != Query::Step::Done) {
        error = q.error();
        return {};
    }
    return target;
}

bool LayoutMigration::migrate(TableHandle& handle, StoreError& error) {
    error.clear();
    auto connection = handle.maintenanceConnection(error);
    if (!connection) return false;
    StoreConnection& c = *connection;
    const Layout& layout = handle.layout();
    const TableSql& sql = handle.sql();
    const std::string& table = sql.table();

    const auto version = recordedVersion(c, table, error);
    if (!error.ok()) return false;
    if (version && *version > layout.version) {
        error = StoreError::make(StoreCode::kLayoutDiffers, "Table " + table + " was written by a newer version (layout " +
                                                                std::to_string(*version) + ")");
        return false;
    }
    auto existing = columns(c, table, error);
    if (!error.ok()) return false;
    if (existing.empty()) {
        error = StoreError::make(StoreCode::kFileNotFound, "Table " + table + " not found");
        return false;
    }
    if (c.inTransaction()) {
        error = StoreError::make(StoreCode::kFileLocked, "A transaction is open on " + c.path().filename().string());
        return false;
    }
    if (backup(c, error).empty()) return false;

    auto has = [&](std::string_view column) {
        for (const std::string& e : existing)
            if (CaseFold::equal(e, column)) return true;
        return false;
    };
    const std::string quoted = TableSql::quote(table);
    bool ok = c.exec("BEGIN IMMEDIATE", &error);
    if (ok && !has("rev")) ok = c.exec("ALTER TABLE " + quoted + " ADD COLUMN rev INTEGER NOT NULL DEFAULT 0", &error);
    for (std::size_t i = 0; ok && i < layout.fields.size(); ++i)
        if (!has(layout.fields[i].column()))
            ok = c.exec("ALTER TABLE " + quoted + " ADD COLUMN " + sql.columnDefinition(static_cast<int>(i)), &error);
    for (std::size_t k = 0; ok && k < layout.keys.size(); ++k) {
        const int key = static_cast<int>(k);
        ok = c.exec("DROP INDEX IF EXISTS " + TableSql::quote(sql.indexName(key)), &error) &&
             c.exec(sql.createIndex(key), &error);
    }
    ok = ok && recordVersion(c, table, layout.version, error);
    ok = ok && c.exec("COMMIT", &error);
    if (!ok) c.exec("ROLLBACK");
    return ok;
}

}  // namespace cm
