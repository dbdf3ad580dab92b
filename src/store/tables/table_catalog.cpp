#include "store/tables/table_catalog.h"

#include "base/case_fold.h"
#include "store/tables/category_record.h"
#include "store/tables/clipboard_record.h"
#include "store/tables/configuration_record.h"
#include "store/tables/contact_category_record.h"
#include "store/tables/contact_record.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/tag_file_record.h"
#include "store/tables/todo_record.h"
#include "store/tables/window_lookup_record.h"

namespace cm {

const std::vector<TableInfo>& tableRegistrations() {
    static const std::vector<TableInfo> tables = {
        {"Categories", "CAT", 2, &categoriesLayout, "CM97\\!Categories", true, ""},
        {"Clipboard", "CLI", 3, &clipboardLayout, "CM97\\!Clipboard", true, ""},
        {"Configuration", "CF", 1, &configurationLayout, "CM97\\!CF", true, ""},
        {"Contact", "C_", 2, &contactLayout, "Cm97.TPS\\!Contact", true, ""},
        {"ContactCategories", "CC", 2, &contactCategoriesLayout, "cm97\\!ConCat", true, ""},
        {"Holidays", "HOL", 2, &holidaysLayout, "CM97\\!Hol", true, ""},
        {"Link", "L", 2, &linkLayout, "CM97\\!Link", true, ""},
        {"Schedule", "SCH", 5, &scheduleLayout, "cm97\\!s", true, ""},
        {"Scripting", "SCR", 4, &scriptingLayout, "CM97\\!Script", true, ""},
        {"SyncSchedule", "SSch", 1, &syncScheduleLayout, "SyncSch.syn", false, "s"},
        {"SyncScripting", "SScr", 1, &syncScriptingLayout, "SyncScr.syn", false, "scr"},
        {"SyncTodo", "STdo", 1, &syncTodoLayout, "SyncTodo.syn", false, "todo"},
        {"Todo", "TDO", 4, &todoLayout, "CM97\\!ToDo", true, ""},
        {"WindowLookup", "WL", 2, &windowLookupLayout, "CM97\\!WL", true, ""},
    };
    return tables;
}

const std::vector<TableInfo>& allTables() {
    static const std::vector<TableInfo> tables = [] {
        std::vector<TableInfo> all = tableRegistrations();
        all.push_back({"TagFile", "TF_", 1, &tagFileLayout, "TagFile_.TPS", false, ""});
        all.push_back({"TagFileP", "TP_", 1, &tagFilePLayout, "TagFileP.TPS", false, ""});
        return all;
    }();
    return tables;
}

const TableInfo* findTable(std::string_view table) {
    for (const TableInfo& info : allTables())
        if (CaseFold::equal(info.table, table)) return &info;
    return nullptr;
}

}  // namespace cm
