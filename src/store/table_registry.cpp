#include "store/table_registry.h"

#include "shell/runtime.h"
#include "store/layout_migration.h"
#include "store/standard_warnings.h"
#include "store/table_handle.h"
#include "store/tables/table_catalog.h"

namespace cm {

namespace {

constexpr std::string_view kDriver = "Tps";
constexpr std::string_view kSkippedEntry = "AllFiles";
constexpr std::string_view kRecoverCommand = "Recover=10";
constexpr std::string_view kMustUpgrade =
    "The databases must be upgraded before using this version.  Consult your documentation for instructions on this.";
constexpr std::string_view kDiskError = "Disk Error";

constexpr int kWarnInvalidKey = 2;
constexpr int kWarnKeyRebuildError = 3;
constexpr int kWarnCreateError = 4;
constexpr int kWarnOpenCreatedError = 5;
constexpr int kWarnFileAccessError = 30;

std::unordered_map<const TableHandle*, int>& counters() {
    static std::unordered_map<const TableHandle*, int> all;
    return all;
}

bool opened(int code) { return code == StoreCode::kOk || code == StoreCode::kAlreadyOpen; }

}  // namespace

UpgradeManager& UpgradeManager::instance() {
    static UpgradeManager manager;
    return manager;
}

void UpgradeManager::declareDriver(std::string_view name) { m_driver = std::string(name); }

void UpgradeManager::skip(std::string_view entry) { m_skipped.emplace_back(entry); }

void UpgradeManager::registerTable(std::string_view prefix, std::string_view table, int version) {
    m_registrations.push_back({std::string(prefix), std::string(table), version});
}

void UpgradeManager::reset() { *this = UpgradeManager{}; }

bool UpgradeManager::upgrade(TableHandle& table, StoreError& error) {
    table.close();
    return LayoutMigration::migrate(table, error);
}

void registerTables(UpgradeManager& manager) {
    manager.declareDriver(kDriver);
    manager.skip(kSkippedEntry);
    for (const TableInfo& info : tableRegistrations()) manager.registerTable(info.prefix, info.table, info.version);
}

bool openOrCreateTable(TableHandle& table, Runtime& runtime) {
    const std::string& name = table.layout().table;
    int code = table.open();
    if (code == StoreCode::kFileLocked) {
        table.sendCommand(kRecoverCommand);
        code = table.open();
    }
    if (opened(code)) return true;

    switch (code) {
    case StoreCode::kFileNotFound:
        if (table.create() != StoreCode::kOk) {
            StandardWarnings::show(runtime, kWarnCreateError, name, {}, table.lastError());
            return false;
        }
        if (!opened(table.open())) {
            StandardWarnings::show(runtime, kWarnOpenCreatedError, name, {}, table.lastError());
            return false;
        }
        return true;
    case StoreCode::kKeysInvalid:
        if (StandardWarnings::show(runtime, kWarnInvalidKey, name, {}, table.lastError()) != Button::Yes) return false;
        if (table.buildKeys() != StoreCode::kOk) {
            StandardWarnings::show(runtime, kWarnKeyRebuildError, name, {}, table.lastError());
            return false;
        }
        code = table.open();
        if (opened(code)) return true;
        break;
    case StoreCode::kLayoutDiffers: {
        StoreError error;
        if (UpgradeManager::instance().upgrade(table, error) && opened(table.open())) return true;
        runtime.endProgram(kMustUpgrade);
        return false;
    }
    default:
        break;
    }

    const StoreError failure = table.lastError();
    if (code == StoreCode::kInvalidFile || code == StoreCode::kDamaged || code == StoreCode::kFileSystem) {
        StoreError error;
        if (UpgradeManager::instance().upgrade(table, error) && opened(table.open())) return true;
    }
    StandardWarnings::show(runtime, kWarnFileAccessError, name, {}, failure);
    runtime.endProgram(kDiskError);
    return false;
}

bool TableUsage::use(TableHandle& table, Runtime& runtime) {
    int& count = counters()[&table];
    if (count == 0 && !openOrCreateTable(table, runtime)) {
        counters().erase(&table);
        return false;
    }
    ++count;
    return true;
}

void TableUsage::leave(TableHandle& table) {
    auto it = counters().find(&table);
    if (it == counters().end()) return;
    if (--it->second <= 0) {
        table.close();
        counters().erase(it);
    }
}

int TableUsage::count(const TableHandle& table) {
    auto it = counters().find(&table);
    return it == counters().end() ? 0 : it->second;
}

}  // namespace cm
