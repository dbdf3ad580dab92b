#pragma once

#include "store/layout.h"

#include <string_view>
#include <vector>

namespace cm {

struct TableInfo {
    std::string_view table;   // "Schedule"
    std::string_view prefix;  // "SCH"
    int version;
    const Layout& (*layout)();
    // "cm97\!s": the file name, "\!" and the table name. The synchronization twins carry their
    // initial value here; at run time they take the synchronization file's name, "\!" and syncTable.
    std::string_view declaredName;
    bool inStoreFile;          // false for the synchronization twins and the tag files
    std::string_view syncTable;  // the twins' table inside a synchronization file ("s"); else empty
};

// The tables declared to the upgrade manager at start-up, in the order they are declared.
const std::vector<TableInfo>& tableRegistrations();
// Every table the program knows: the registrations, then the two tag files.
const std::vector<TableInfo>& allTables();
// By table name, any case; nullptr when there is none.
const TableInfo* findTable(std::string_view table);

}  // namespace cm
