#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_image.h"

namespace cm {

class WarningReporter;

// What happens to the rows of a child table when their parent goes or its key changes.
enum class ChildRule {
    Follow,   // deleted with the parent; rewritten to the parent's new key value
    Refused,  // the parent may neither be deleted nor renamed while a child refers to it
};

// One enforced relation: childField of childTable holds parentField of parentTable. The children
// of a value are walked along childKey, whose first component is childField.
struct Relation {
    std::string_view parentTable;
    std::string_view parentField;
    std::string_view childTable;
    std::string_view childField;
    std::string_view childKey;
    ChildRule rule;
};

// Every enforced relation, in the order the operations visit them: a task's links go before its
// script steps. Nothing else is enforced: to-do items keep category names that may not exist.
const std::vector<Relation>& relations();

// Which warning a change shows when another station changed the record since the form read it.
enum class OtherStationNotice {
    UpdateError,   // warning 15, "This record was changed by another station."
    ChangesShown,  // warning 38, which tells the user the other version is now displayed
};

// The delete and change operations of the tables, with their relations. Each runs in one
// transaction over the record's table and its child tables (begun with the store's 2-second
// wait) and ends in commit or roll-back. They work on the caller's handle and buffer: the
// current record is the one deleted or written.
class RecordRules {
public:
    static constexpr int kDone = 0;
    static constexpr int kFailed = 1;    // a warning was shown and the transaction rolled back
    static constexpr int kReloaded = 2;  // another station's version is now in the buffer

    // Child tables are opened through TableUsage with the reporter's runtime, unless one was
    // provided.
    explicit RecordRules(WarningReporter& reporter);
    ~RecordRules();
    RecordRules(const RecordRules&) = delete;
    RecordRules& operator=(const RecordRules&) = delete;

    // An open handle to use for that child table instead of opening one.
    void provide(RecordRef child);

    // Deletes the current record and its children, or refuses while children refer to it.
    int deleteRecord(RecordRef record);
    // Deletes the children that still refer to the value of parentField in the buffer, when the
    // parent row itself is gone already: a later row that gets the value must not inherit them.
    int deleteOrphans(RecordRef record);
    // Writes the current record. When opened (the image taken when the form read it) has another
    // key value, children follow or the change is refused with the old value put back.
    int changeRecord(RecordRef record, const RecordImage* opened, OtherStationNotice notice);

private:
    struct Child;
    int removeRecord(RecordRef record, bool parentStored);
    bool openChildren(const Layout& parent, std::vector<Child>& children, std::string_view operation);

    WarningReporter& m_reporter;
    std::vector<RecordRef> m_provided;
};

}  // namespace cm
