#include "store/tables/scripting_record.h"

namespace cm {

const Layout& scriptingLayout() {
    static const Layout layout = [] {
        using R = ScriptingRecord;
        Layout l;
        l.table = "Scripting";
        l.prefix = "SCR";
        l.version = 4;
        l.fields = {
            field<&R::id>("SCR:ID", FieldType::Int32),
            field<&R::sequence>("SCR:Sequence", FieldType::Int32),
            field<&R::action>("SCR:Action", FieldType::Text, 27),
            field<&R::keyStrokes>("SCR:KeyStrokes", FieldType::Text, 255),
            field<&R::secondsToWait>("SCR:SecondsToWait", FieldType::Int32),
            field<&R::waitForWindow>("SCR:WaitForWindow", FieldType::Text, 255),
            field<&R::focusOnWindow>("SCR:FocusOnWindow", FieldType::Text, 255),
            field<&R::windowExistance>("SCR:WindowExistance", FieldType::Text, 20),
            field<&R::windowTitleToCheckFor>("SCR:WindowTitleToCheckFor", FieldType::Text, 255),
            field<&R::ifTimeElapsed>("SCR:IfTimeElapsed", FieldType::Text, 20),
            field<&R::timeElapsed>("SCR:TimeElapsed", FieldType::Int32),
            field<&R::ddeType>("SCR:DDEType", FieldType::Text, 20),
            field<&R::ddeApplicationName>("SCR:DDEApplicationName", FieldType::Text, 80),
            field<&R::ddeApplicationTopic>("SCR:DDEApplicationTopic", FieldType::Text, 80),
            field<&R::ddeLinkItem>("SCR:DDELinkItem", FieldType::Text, 80),
            field<&R::ddeCommand>("SCR:DDECommand", FieldType::Text, 80),
            field<&R::command>("SCR:Command", FieldType::Text, 255),
            field<&R::path>("SCR:Path", FieldType::Text, 255),
            field<&R::nextTaskId>("SCR:NextTaskID", FieldType::Int32),
            field<&R::networkUser>("SCR:NetworkUser", FieldType::Text, 30),
            field<&R::lastChangeDate>("SCR:LastChangeDate", FieldType::Date),
            field<&R::lastChangeTime>("SCR:LastChangeTime", FieldType::Time),
            field<&R::originalId>("SCR:OriginalID", FieldType::Int32),
        };
        addKey(l, "SCR:KeyID", {"SCR:ID", "SCR:Sequence"}, kKeyUnique | kKeyPrimary);
        return l;
    }();
    return layout;
}

const Layout& syncScriptingLayout() {
    static const Layout layout = twinLayout(scriptingLayout(), "SyncScripting", "SScr", 1);
    return layout;
}

}  // namespace cm
