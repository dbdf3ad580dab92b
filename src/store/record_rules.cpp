#include "store/record_rules.h"

#include <limits>

#include "store/table_registry.h"
#include "store/tables/contact_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/table_catalog.h"
#include "store/transaction.h"
#include "store/warning_reporter.h"

namespace cm {

namespace {

constexpr int kWarnUpdateError = 15;
constexpr int kWarnReferencedOnUpdate = 12;
constexpr int kWarnReferencedOnDelete = 13;
constexpr int kWarnDeleteError = 17;
constexpr int kWarnFraming = 34;
constexpr int kWarnRetrieval = 35;
constexpr int kWarnChangesShown = 38;

// A handle of a child table, opened for one operation.
class OwnedTable {
public:
    virtual ~OwnedTable() = default;
    virtual RecordRef ref() = 0;
};

template <class R>
class OwnedTableOf final : public OwnedTable {
public:
    OwnedTableOf(const Layout& layout, std::string_view declaredName) : m_table(layout, std::string(declaredName)) {}
    RecordRef ref() override { return m_table; }

private:
    Table<R> m_table;
};

template <class R>
std::unique_ptr<OwnedTable> own(const Layout& (*layout)(), std::string_view table) {
    const TableInfo* info = findTable(table);
    return std::make_unique<OwnedTableOf<R>>(layout(), info != nullptr ? info->declaredName : std::string_view());
}

// Only tables that are children of some relation are ever opened here.
std::unique_ptr<OwnedTable> makeChildTable(std::string_view table) {
    if (table == "Link") return own<LinkRecord>(&linkLayout, table);
    if (table == "Scripting") return own<ScriptingRecord>(&scriptingLayout, table);
    if (table == "Schedule") return own<ScheduleRecord>(&scheduleLayout, table);
    if (table == "Contact") return own<ContactRecord>(&contactLayout, table);
    return nullptr;
}

// Sets the walk to start at the first child of value: the referring field holds it and every
// other component of the key is at its lowest.
int startChildren(RecordRef child, const Relation& relation, const FieldValue& value) {
    const Layout& layout = child.layout();
    const int key = layout.keyIndex(relation.childKey);
    child.table.clear();
    if (key >= 0) {
        for (int f : layout.keys[static_cast<std::size_t>(key)].fields) {
            const FieldType type = layout.fields[static_cast<std::size_t>(f)].type;
            if (type == FieldType::Int32 || type == FieldType::Date || type == FieldType::Time)
                writeField(layout, child.buffer, f, std::int64_t{std::numeric_limits<std::int32_t>::min()});
        }
    }
    writeField(layout, child.buffer, layout.fieldIndex(relation.childField), value);
    return child.table.setFrom(key);
}

enum class ChildStep { Child, End, Error };

ChildStep nextChild(RecordRef child, int field, const FieldValue& value) {
    const int code = child.table.next();
    if (code == StoreCode::kNoRecord) return ChildStep::End;
    if (code != StoreCode::kOk) return ChildStep::Error;
    return sameKeyValue(readField(child.layout(), child.buffer, field), value) ? ChildStep::Child : ChildStep::End;
}

}  // namespace

const std::vector<Relation>& relations() {
    static const std::vector<Relation> table = {
        {"Schedule", "SCH:ID", "Link", "L:ID", "L:KeySchedule", ChildRule::Follow},
        {"Schedule", "SCH:ID", "Scripting", "SCR:ID", "SCR:KeyID", ChildRule::Follow},
        {"Contact", "C_:ClientID", "Link", "L:ClientID", "L:KeyClient", ChildRule::Follow},
        {"Categories", "CAT:Category", "Schedule", "SCH:Category", "SCH:KeyCategory", ChildRule::Refused},
        {"ContactCategories", "CC:ContactCategory", "Contact", "C_:ContactCategory", "C_:KeyCategory",
         ChildRule::Refused},
    };
    return table;
}

struct RecordRules::Child {
    const Relation* relation = nullptr;
    std::unique_ptr<OwnedTable> owned;
    std::unique_ptr<TableUse> use;
    TableHandle* table = nullptr;
    void* buffer = nullptr;

    RecordRef ref() const { return {*table, buffer}; }
};

RecordRules::RecordRules(WarningReporter& reporter) : m_reporter(reporter) {}

RecordRules::~RecordRules() = default;

void RecordRules::provide(RecordRef child) {
    m_provided.push_back(child);
}

bool RecordRules::openChildren(const Layout& parent, std::vector<Child>& children, std::string_view operation) {
    for (const Relation& relation : relations()) {
        if (relation.parentTable != parent.table) continue;
        Child child;
        child.relation = &relation;
        for (const RecordRef& r : m_provided) {
            if (r.layout().table != relation.childTable) continue;
            child.table = &r.table;
            child.buffer = r.buffer;
            break;
        }
        if (child.table == nullptr) {
            child.owned = makeChildTable(relation.childTable);
            RecordRef ref = child.owned->ref();
            child.table = &ref.table;
            child.buffer = ref.buffer;
        }
        if (!child.table->isOpen()) {
            if (m_reporter.runtime() == nullptr) {
                m_reporter.show(
                    kWarnFraming, operation, parent.table,
                    StoreError::make(StoreCode::kFileNotFound, std::string(relation.childTable) + " is not open"));
                return false;
            }
            // A table that cannot be opened has shown its own warning already.
            child.use = std::make_unique<TableUse>(*child.table, *m_reporter.runtime());
            if (!child.use->open()) return false;
        }
        children.push_back(std::move(child));
    }
    return true;
}

int RecordRules::deleteRecord(RecordRef record) {
    return removeRecord(record, true);
}

int RecordRules::deleteOrphans(RecordRef record) {
    return removeRecord(record, false);
}

int RecordRules::removeRecord(RecordRef record, bool parentStored) {
    const Layout& layout = record.layout();
    const std::string position = record.table.position();
    if (parentStored && position.empty()) {
        m_reporter.show(kWarnRetrieval, layout.table, {}, StoreError::make(StoreCode::kNoRecord, "No current record"));
        return kFailed;
    }
    std::vector<Child> children;
    if (!openChildren(layout, children, "Delete")) return kFailed;

    std::vector<TableHandle*> tables{&record.table};
    for (const Child& c : children) tables.push_back(c.table);
    Transaction transaction(tables);
    WarningReporter::Tracking tracking(m_reporter, transaction);
    if (!transaction.begin()) {
        m_reporter.show(kWarnFraming, "Delete", layout.table, transaction.lastError());
        return kFailed;
    }
    if (parentStored && record.table.reget(position) != StoreCode::kOk) {
        m_reporter.show(kWarnRetrieval, layout.table, {}, record.table.lastError());
        return kFailed;
    }

    for (const Child& c : children) {
        const Relation& relation = *c.relation;
        if (!parentStored && relation.rule == ChildRule::Refused) continue;
        const FieldValue value = readField(layout, record.buffer, layout.fieldIndex(relation.parentField));
        const RecordRef child = c.ref();
        const int field = child.layout().fieldIndex(relation.childField);
        if (startChildren(child, relation, value) != StoreCode::kOk) {
            m_reporter.show(kWarnRetrieval, relation.childTable, {}, child.table.lastError());
            return kFailed;
        }
        for (ChildStep step; (step = nextChild(child, field, value)) != ChildStep::End;) {
            if (step == ChildStep::Error) {
                m_reporter.show(kWarnRetrieval, relation.childTable, {}, child.table.lastError());
                return kFailed;
            }
            if (relation.rule == ChildRule::Refused) {
                m_reporter.show(kWarnReferencedOnDelete, relation.childTable);
                return kFailed;
            }
            if (child.table.erase() != StoreCode::kOk) {
                m_reporter.show(kWarnDeleteError, relation.childTable, {}, child.table.lastError());
                return kFailed;
            }
        }
    }

    if (parentStored && record.table.erase() != StoreCode::kOk) {
        m_reporter.show(kWarnDeleteError, layout.table, {}, record.table.lastError());
        return kFailed;
    }
    if (!transaction.commit()) {
        m_reporter.show(kWarnDeleteError, layout.table, {}, transaction.lastError());
        if (parentStored) record.table.reget(position);
        return kFailed;
    }
    return kDone;
}

int RecordRules::changeRecord(RecordRef record, const RecordImage* opened, OtherStationNotice notice) {
    const Layout& layout = record.layout();
    std::vector<Child> children;
    if (!openChildren(layout, children, "Update")) return kFailed;

    std::vector<TableHandle*> tables{&record.table};
    for (const Child& c : children) tables.push_back(c.table);
    Transaction transaction(tables);
    WarningReporter::Tracking tracking(m_reporter, transaction);
    if (!transaction.begin()) {
        m_reporter.show(kWarnFraming, "Update", layout.table, transaction.lastError());
        return kFailed;
    }

    const std::string position = record.table.position();
    if (record.table.put() != StoreCode::kOk) {
        const StoreError error = record.table.lastError();
        if (error.code != StoreCode::kChanged) {
            m_reporter.show(kWarnUpdateError, layout.table, {}, error);
            return kFailed;
        }
        if (notice == OtherStationNotice::ChangesShown)
            m_reporter.show(kWarnChangesShown, layout.table, {}, error);
        else
            m_reporter.show(kWarnUpdateError, layout.table, {}, error);
        record.table.watch();
        record.table.reget(position);
        return kReloaded;
    }

    for (const Child& c : children) {
        if (opened == nullptr || opened->empty()) break;
        const Relation& relation = *c.relation;
        const int parentField = layout.fieldIndex(relation.parentField);
        const FieldValue oldValue = opened->value(parentField);
        const FieldValue newValue = readField(layout, record.buffer, parentField);
        if (sameKeyValue(oldValue, newValue)) continue;

        const RecordRef child = c.ref();
        const int field = child.layout().fieldIndex(relation.childField);
        auto failWith = [&](int warning, const StoreError& error) {
            m_reporter.show(warning, relation.childTable, {}, error);
            return kFailed;
        };
        if (startChildren(child, relation, oldValue) != StoreCode::kOk)
            return failWith(kWarnRetrieval, child.table.lastError());
        for (ChildStep step; (step = nextChild(child, field, oldValue)) != ChildStep::End;) {
            if (step == ChildStep::Error) return failWith(kWarnRetrieval, child.table.lastError());
            if (relation.rule == ChildRule::Refused) {
                failWith(kWarnReferencedOnUpdate, {});
                writeField(layout, record.buffer, parentField, oldValue);
                return kFailed;
            }
            writeField(child.layout(), child.buffer, field, newValue);
            if (child.table.put() != StoreCode::kOk) return failWith(kWarnUpdateError, child.table.lastError());
        }
    }

    if (!transaction.commit()) {
        m_reporter.show(kWarnUpdateError, layout.table, {}, transaction.lastError());
        return kFailed;
    }
    return kDone;
}

}  // namespace cm
