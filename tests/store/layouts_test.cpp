#include "store/layout.h"
#include "store/tables/category_record.h"
#include "store/tables/clipboard_record.h"
#include "store/tables/configuration_record.h"
#include "store/tables/contact_category_record.h"
#include "store/tables/contact_record.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/table_catalog.h"
#include "store/tables/tag_file_record.h"
#include "store/tables/todo_record.h"
#include "store/tables/window_lookup_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace cm {
namespace {

// Bytes the field takes in the fixed part of the record; memos live beside it.
int fixedBytes(const FieldDef& f) {
    switch (f.type) {
        case FieldType::Text: return f.width;
        case FieldType::ZText: return f.width + 1;
        case FieldType::Int32:
        case FieldType::Date:
        case FieldType::Time: return 4;
        case FieldType::Int16: return 2;
        case FieldType::Byte:
        case FieldType::Flag: return 1;
        case FieldType::Memo: return 0;
    }
    return 0;
}

std::vector<std::string> componentNames(const Layout& layout, const KeyDef& key) {
    std::vector<std::string> names;
    for (int i : key.fields) names.push_back(layout.fields.at(static_cast<std::size_t>(i)).name);
    return names;
}

struct Shape {
    int fields;  // memos included
    int memos;
    int keys;
    int recordBytes;
};

TEST(LayoutTables, EveryTableHasItsFieldsKeysAndRecordSize) {
    const std::map<std::string, Shape> expected = {
        {"Schedule", {56, 1, 13, 1080}},     {"Scripting", {23, 0, 1, 1999}},   {"Categories", {1, 0, 1, 20}},
        {"Todo", {12, 2, 4, 152}},           {"Contact", {16, 1, 9, 394}},      {"ContactCategories", {1, 0, 1, 20}},
        {"Link", {2, 0, 2, 8}},              {"WindowLookup", {3, 0, 2, 78}},   {"Clipboard", {6, 1, 2, 89}},
        {"Holidays", {3, 0, 1, 25}},         {"Configuration", {2, 0, 1, 120}}, {"SyncSchedule", {56, 1, 13, 1080}},
        {"SyncScripting", {23, 0, 1, 1999}}, {"SyncTodo", {12, 2, 4, 152}},     {"TagFile", {4, 0, 2, 20}},
        {"TagFileP", {4, 0, 2, 272}},
    };
    ASSERT_EQ(allTables().size(), expected.size());
    for (const TableInfo& info : allTables()) {
        SCOPED_TRACE(std::string(info.table));
        const Layout& layout = info.layout();
        EXPECT_EQ(layout.table, info.table);
        EXPECT_EQ(layout.prefix, info.prefix);
        EXPECT_EQ(layout.version, info.version);

        const Shape& shape = expected.at(layout.table);
        EXPECT_EQ(static_cast<int>(layout.fields.size()), shape.fields);
        EXPECT_EQ(static_cast<int>(layout.keys.size()), shape.keys);

        const std::string prefix = layout.prefix + ":";
        std::set<std::string> columns;
        int bytes = 0;
        int memos = 0;
        bool memoSeen = false;
        for (const FieldDef& f : layout.fields) {
            SCOPED_TRACE(f.name);
            EXPECT_EQ(f.name.rfind(prefix, 0), 0u);
            EXPECT_TRUE(columns.insert(f.column()).second) << "duplicate column";
            EXPECT_EQ(f.isText(), f.getText != nullptr && f.setText != nullptr);
            EXPECT_EQ(!f.isText(), f.getInt != nullptr && f.setInt != nullptr);
            EXPECT_EQ(f.isText(), f.width > 0);
            if (f.type == FieldType::Memo) {
                ++memos;
                memoSeen = true;
            } else {
                EXPECT_FALSE(memoSeen) << "memos come after the fixed fields";
            }
            bytes += fixedBytes(f);
        }
        EXPECT_EQ(memos, shape.memos);
        EXPECT_EQ(bytes, shape.recordBytes);

        int primaries = 0;
        for (const KeyDef& k : layout.keys) {
            SCOPED_TRACE(k.name);
            EXPECT_EQ(k.name.rfind(prefix, 0), 0u);
            EXPECT_FALSE(k.fields.empty());
            for (int i : k.fields) {
                ASSERT_GE(i, 0);
                ASSERT_LT(i, static_cast<int>(layout.fields.size()));
                EXPECT_NE(layout.fields[static_cast<std::size_t>(i)].type, FieldType::Memo);
            }
            EXPECT_FALSE(k.label().empty());
            if (k.primary) {
                ++primaries;
                EXPECT_TRUE(k.unique);
            }
        }
        EXPECT_LE(primaries, 1);
    }
}

TEST(LayoutTables, ScheduleKeepsTheRecordOrderWithoutGroupRows) {
    const Layout& l = scheduleLayout();
    const std::vector<std::pair<std::string, int>> positions = {
        {"SCH:User", 0},           {"SCH:ID", 1},          {"SCH:Sunday", 8},         {"SCH:Saturday", 14},
        {"SCH:Every", 15},         {"SCH:Date", 23},       {"SCH:AlarmFile", 29},     {"SCH:ExceptionLink", 50},
        {"SCH:OriginalID", 54},    {"SCH:Message", 55},    {"SCH:DayOfWeekGroup", -1}, {"SCH:Synchonization", -1},
        {"SCH:EveryOrdinal", -1},  {"SCH:Exceptions", -1},
    };
    for (const auto& [name, index] : positions) EXPECT_EQ(l.fieldIndex(name), index) << name;
    EXPECT_EQ(l.fields[29].type, FieldType::ZText);
    EXPECT_EQ(l.fields[55].type, FieldType::Memo);
    EXPECT_EQ(l.fields[55].width, 1000);
}

// Fills every field through the layout with a value of its own, then reads them all back: a
// field bound to another field's member shows up as an overwritten value.
template <class R>
void expectEveryFieldHasItsOwnMember(const Layout& layout) {
    SCOPED_TRACE(layout.table);
    R record;
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const FieldDef& f = layout.fields[i];
        if (f.isText())
            f.setText(&record, f.column());
        else
            f.setInt(&record, static_cast<std::int64_t>(i + 1));
    }
    for (std::size_t i = 0; i < layout.fields.size(); ++i) {
        const FieldDef& f = layout.fields[i];
        if (f.isText())
            EXPECT_EQ(f.getText(&record), f.column());
        else
            EXPECT_EQ(f.getInt(&record), static_cast<std::int64_t>(i + 1)) << f.name;
    }
    EXPECT_FALSE(record == R{});
}

TEST(LayoutAccess, EveryFieldHasItsOwnMember) {
    expectEveryFieldHasItsOwnMember<ScheduleRecord>(scheduleLayout());
    expectEveryFieldHasItsOwnMember<ScriptingRecord>(scriptingLayout());
    expectEveryFieldHasItsOwnMember<CategoryRecord>(categoriesLayout());
    expectEveryFieldHasItsOwnMember<TodoRecord>(todoLayout());
    expectEveryFieldHasItsOwnMember<ContactRecord>(contactLayout());
    expectEveryFieldHasItsOwnMember<ContactCategoryRecord>(contactCategoriesLayout());
    expectEveryFieldHasItsOwnMember<LinkRecord>(linkLayout());
    expectEveryFieldHasItsOwnMember<WindowLookupRecord>(windowLookupLayout());
    expectEveryFieldHasItsOwnMember<ClipboardRecord>(clipboardLayout());
    expectEveryFieldHasItsOwnMember<HolidayRecord>(holidaysLayout());
    expectEveryFieldHasItsOwnMember<ConfigurationRecord>(configurationLayout());
    expectEveryFieldHasItsOwnMember<ScheduleRecord>(syncScheduleLayout());
    expectEveryFieldHasItsOwnMember<ScriptingRecord>(syncScriptingLayout());
    expectEveryFieldHasItsOwnMember<TodoRecord>(syncTodoLayout());
    expectEveryFieldHasItsOwnMember<TagFileRecord>(tagFileLayout());
    expectEveryFieldHasItsOwnMember<TagFilePRecord>(tagFilePLayout());
}

TEST(LayoutAccess, ValuesReachTheMembersAtTheLimitsOfTheirTypes) {
    const Layout& sch = scheduleLayout();
    ScheduleRecord task;
    sch.fields[sch.fieldIndex("SCH:Description")].setText(&task, "Größe prüfen");
    sch.fields[sch.fieldIndex("SCH:AlarmFile")].setText(&task, "BEEP");
    sch.fields[sch.fieldIndex("SCH:Message")].setText(&task, "line 1\nline 2");
    sch.fields[sch.fieldIndex("SCH:ExceptionLink")].setInt(&task, std::numeric_limits<std::int32_t>::min());
    sch.fields[sch.fieldIndex("SCH:Date")].setInt(&task, 80000);
    sch.fields[sch.fieldIndex("SCH:Time")].setInt(&task, 8639500);
    sch.fields[sch.fieldIndex("SCH:Disabled")].setInt(&task, 1);
    EXPECT_EQ(task.description, "Größe prüfen");
    EXPECT_EQ(task.alarmFile, "BEEP");
    EXPECT_EQ(task.message, "line 1\nline 2");
    EXPECT_EQ(task.exceptionLink, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(sch.fields[sch.fieldIndex("SCH:ExceptionLink")].getInt(&task), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(task.date, 80000);
    EXPECT_EQ(task.time, 8639500);
    EXPECT_EQ(task.disabled, 1);

    const Layout& tdo = todoLayout();
    TodoRecord item;
    tdo.fields[tdo.fieldIndex("TDO:Priority")].setInt(&item, 255);
    EXPECT_EQ(item.priority, 255);
    EXPECT_EQ(tdo.fields[tdo.fieldIndex("TDO:Priority")].getInt(&item), 255);  // unsigned, not -1

    const Layout& tf = tagFileLayout();
    TagFileRecord mark;
    tf.fields[tf.fieldIndex("TF_:Tbl")].setInt(&mark, -32768);
    EXPECT_EQ(mark.tbl, -32768);
    EXPECT_EQ(tf.fields[tf.fieldIndex("TF_:Tbl")].getInt(&mark), -32768);
}

struct KeyCase {
    const Layout& (*layout)();
    std::string key;
    std::vector<std::string> components;
    bool unique;
    bool primary;
    bool excludeBlank;
};

TEST(LayoutKeys, KeysHaveTheirComponentsAndProperties) {
    const std::vector<KeyCase> cases = {
        {&scheduleLayout, "SCH:KeyID", {"SCH:ID"}, true, true, true},
        {&scheduleLayout, "SCH:KeyDateEnabled", {"SCH:Disabled", "SCH:Date", "SCH:Time"}, false, false, true},
        {&scheduleLayout, "SCH:KeyAdvanced", {"SCH:AdvanceWarned", "SCH:AdvanceWarnDate", "SCH:AdvanceWarnTime"},
         false, false, true},
        {&scriptingLayout, "SCR:KeyID", {"SCR:ID", "SCR:Sequence"}, true, true, true},
        {&windowLookupLayout, "WL:KeyTitle", {"WL:Title"}, true, false, false},
        {&windowLookupLayout, "WL:KeyDate", {"WL:Date", "WL:Time", "WL:Title"}, false, false, true},
        {&todoLayout, "TDO:KeyDone", {"TDO:Done", "TDO:Priority", "TDO:ToDo"}, false, false, false},
        {&todoLayout, "TDO:KeyToDo", {"TDO:ToDo"}, false, false, false},
        {&todoLayout, "TDO:KeyCategory", {"TDO:Category", "TDO:Priority", "TDO:ToDo"}, false, false, true},
        {&clipboardLayout, "CLI:KeyClipDate", {"CLI:User", "CLI:ClipKeep", "CLI:ClipDate", "CLI:ClipTime"}, false,
         false, false},
        {&clipboardLayout, "CLI:KeyClipHash", {"CLI:User", "CLI:ClipHashKey"}, true, false, true},
        {&linkLayout, "L:KeySchedule", {"L:ID", "L:ClientID"}, true, true, true},
        {&linkLayout, "L:KeyClient", {"L:ClientID", "L:ID"}, true, false, true},
        {&holidaysLayout, "HOL:KeyHolidayDate", {"HOL:HolidayDate"}, true, false, true},
        {&contactLayout, "C_:KeyClientID", {"C_:ClientID"}, true, true, true},
        {&contactLayout, "C_:KeyCategory", {"C_:ContactCategory", "C_:LastName", "C_:FirstName"}, false, false, true},
        {&categoriesLayout, "CAT:KeyCategory", {"CAT:Category"}, true, false, true},
        {&tagFileLayout, "TF_:PtrKey", {"TF_:Usr", "TF_:Tbl", "TF_:Ptr"}, true, true, false},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.key);
        const Layout& layout = c.layout();
        const int index = layout.keyIndex(c.key);
        ASSERT_GE(index, 0);
        const KeyDef& key = layout.keys[static_cast<std::size_t>(index)];
        EXPECT_EQ(componentNames(layout, key), c.components);
        EXPECT_EQ(key.unique, c.unique);
        EXPECT_EQ(key.primary, c.primary);
        EXPECT_EQ(key.excludeBlank, c.excludeBlank);
        if (c.primary) {
            EXPECT_EQ(layout.primaryKey(), &key);
        }
    }
    EXPECT_EQ(scheduleLayout().keys.front().label(), "By System ID");
    EXPECT_EQ(scheduleLayout().keys.back().label(), "SCH:KeyOriginalID");
    EXPECT_EQ(todoLayout().primaryKey(), nullptr);
}

TEST(LayoutKeys, UnknownComponentIsRefused) {
    Layout l;
    l.table = "Probe";
    l.prefix = "PR";
    EXPECT_THROW(addKey(l, "PR:KeyX", {"PR:Missing"}), std::logic_error);
    EXPECT_TRUE(l.keys.empty());
}

TEST(LayoutTwins, TwinsShareTheMastersColumnsUnderTheirOwnPrefix) {
    const struct {
        const Layout& master;
        const Layout& twin;
    } pairs[] = {
        {scheduleLayout(), syncScheduleLayout()},
        {scriptingLayout(), syncScriptingLayout()},
        {todoLayout(), syncTodoLayout()},
    };
    for (const auto& [master, twin] : pairs) {
        SCOPED_TRACE(twin.table);
        ASSERT_EQ(twin.fields.size(), master.fields.size());
        for (std::size_t i = 0; i < master.fields.size(); ++i) {
            const FieldDef& m = master.fields[i];
            const FieldDef& t = twin.fields[i];
            EXPECT_EQ(t.name, twin.prefix + ":" + m.column());
            EXPECT_EQ(t.type, m.type);
            EXPECT_EQ(t.width, m.width);
            EXPECT_EQ(t.getText, m.getText);
            EXPECT_EQ(t.getInt, m.getInt);
        }
        ASSERT_EQ(twin.keys.size(), master.keys.size());
        for (std::size_t i = 0; i < master.keys.size(); ++i) {
            const KeyDef& m = master.keys[i];
            const KeyDef& t = twin.keys[i];
            EXPECT_EQ(t.name, twin.prefix + m.name.substr(master.prefix.size()));
            EXPECT_EQ(t.fields, m.fields);
            EXPECT_EQ(t.unique, m.unique);
            EXPECT_EQ(t.primary, m.primary);
            EXPECT_EQ(t.excludeBlank, m.excludeBlank);
        }
    }
    const Layout& ssch = syncScheduleLayout();
    EXPECT_EQ(ssch.fields.back().name, "SSch:Message");
    EXPECT_EQ(ssch.keyIndex("SSCH:KeyID"), 0);
    EXPECT_EQ(ssch.keys[0].label(), "By System ID");
    EXPECT_EQ(ssch.keys[1].label(), "SSch:KeyUser");
    EXPECT_EQ(syncTodoLayout().keys.back().name, "STdo:KeyCategory");
}

TEST(LayoutCatalog, RegistrationsComeInDeclarationOrder) {
    struct Row {
        std::string table, prefix;
        int version;
        std::string declaredName;
        bool inStoreFile;
        std::string syncTable;
    };
    const std::vector<Row> expected = {
        {"Categories", "CAT", 2, "CM97\\!Categories", true, ""},
        {"Clipboard", "CLI", 3, "CM97\\!Clipboard", true, ""},
        {"Configuration", "CF", 1, "CM97\\!CF", true, ""},
        {"Contact", "C_", 2, "Cm97.TPS\\!Contact", true, ""},
        {"ContactCategories", "CC", 2, "cm97\\!ConCat", true, ""},
        {"Holidays", "HOL", 2, "CM97\\!Hol", true, ""},
        {"Link", "L", 2, "CM97\\!Link", true, ""},
        {"Schedule", "SCH", 5, "cm97\\!s", true, ""},
        {"Scripting", "SCR", 4, "CM97\\!Script", true, ""},
        {"SyncSchedule", "SSch", 1, "SyncSch.syn", false, "s"},
        {"SyncScripting", "SScr", 1, "SyncScr.syn", false, "scr"},
        {"SyncTodo", "STdo", 1, "SyncTodo.syn", false, "todo"},
        {"Todo", "TDO", 4, "CM97\\!ToDo", true, ""},
        {"WindowLookup", "WL", 2, "CM97\\!WL", true, ""},
        {"TagFile", "TF_", 1, "TagFile_.TPS", false, ""},
        {"TagFileP", "TP_", 1, "TagFileP.TPS", false, ""},
    };
    ASSERT_EQ(tableRegistrations().size(), 14u);
    ASSERT_EQ(allTables().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TableInfo& info = allTables()[i];
        const Row& row = expected[i];
        SCOPED_TRACE(row.table);
        EXPECT_EQ(info.table, row.table);
        EXPECT_EQ(info.prefix, row.prefix);
        EXPECT_EQ(info.version, row.version);
        EXPECT_EQ(info.declaredName, row.declaredName);
        EXPECT_EQ(info.inStoreFile, row.inStoreFile);
        EXPECT_EQ(info.syncTable, row.syncTable);
        if (i < tableRegistrations().size()) {
            EXPECT_EQ(tableRegistrations()[i].table, row.table);
        }
    }
    ASSERT_NE(findTable("windowlookup"), nullptr);
    EXPECT_EQ(findTable("windowlookup")->prefix, "WL");
    EXPECT_EQ(findTable("Tasks"), nullptr);
}

}  // namespace
}  // namespace cm
