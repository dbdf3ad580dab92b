#include "store/tables/todo_record.h"

namespace cm {

const Layout& todoLayout() {
    static const Layout layout = [] {
        using R = TodoRecord;
        Layout l;
        l.table = "Todo";
        l.prefix = "TDO";
        l.version = 4;
        l.fields = {
            field<&R::done>("TDO:Done", FieldType::Flag),
            field<&R::priority>("TDO:Priority", FieldType::Byte),
            field<&R::category>("TDO:Category", FieldType::Text, 20),
            field<&R::toDo>("TDO:ToDo", FieldType::Text, 80),
            field<&R::completionDate>("TDO:CompletionDate", FieldType::Date),
            field<&R::completionTime>("TDO:CompletionTime", FieldType::Time),
            field<&R::networkUser>("TDO:NetworkUser", FieldType::Text, 30),
            field<&R::lastChangeDate>("TDO:LastChangeDate", FieldType::Date),
            field<&R::lastChangeTime>("TDO:LastChangeTime", FieldType::Time),
            field<&R::originalId>("TDO:OriginalID", FieldType::Int32),
            field<&R::notes>("TDO:Notes", FieldType::Memo, 4096),
            field<&R::resolution>("TDO:Resolution", FieldType::Memo, 1000),
        };
        addKey(l, "TDO:KeyDone", {"TDO:Done", "TDO:Priority", "TDO:ToDo"}, kKeyIncludesBlank);
        addKey(l, "TDO:KeyPriority", {"TDO:Priority", "TDO:Done", "TDO:ToDo"}, kKeyIncludesBlank);
        addKey(l, "TDO:KeyToDo", {"TDO:ToDo"}, kKeyIncludesBlank);
        addKey(l, "TDO:KeyCategory", {"TDO:Category", "TDO:Priority", "TDO:ToDo"});
        return l;
    }();
    return layout;
}

const Layout& syncTodoLayout() {
    static const Layout layout = twinLayout(todoLayout(), "SyncTodo", "STdo", 1);
    return layout;
}

}  // namespace cm
