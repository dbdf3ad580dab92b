#include "store/tables/schedule_record.h"

#include "base/fixed_text.h"

namespace cm {

bool TaskType::is(std::string_view taskType, std::string_view value) {
    return FixedText::equalNoCase(taskType, value);
}

const Layout& scheduleLayout() {
    static const Layout layout = [] {
        using R = ScheduleRecord;
        Layout l;
        l.table = "Schedule";
        l.prefix = "SCH";
        l.version = 5;
        l.fields = {
            field<&R::user>("SCH:User", FieldType::Text, 40),
            field<&R::id>("SCH:ID", FieldType::Int32),
            field<&R::taskType>("SCH:TaskType", FieldType::Text, 20),
            field<&R::category>("SCH:Category", FieldType::Text, 20),
            field<&R::description>("SCH:Description", FieldType::Text, 40),
            field<&R::command>("SCH:Command", FieldType::Text, 255),
            field<&R::path>("SCH:Path", FieldType::Text, 255),
            field<&R::scheduleType>("SCH:ScheduleType", FieldType::Text, 20),
            field<&R::sunday>("SCH:Sunday", FieldType::Flag),
            field<&R::monday>("SCH:Monday", FieldType::Flag),
            field<&R::tuesday>("SCH:Tuesday", FieldType::Flag),
            field<&R::wednesday>("SCH:Wednesday", FieldType::Flag),
            field<&R::thursday>("SCH:Thursday", FieldType::Flag),
            field<&R::friday>("SCH:Friday", FieldType::Flag),
            field<&R::saturday>("SCH:Saturday", FieldType::Flag),
            field<&R::every>("SCH:Every", FieldType::Int32),
            field<&R::every1st>("SCH:Every1st", FieldType::Flag),
            field<&R::every2nd>("SCH:Every2nd", FieldType::Flag),
            field<&R::every3rd>("SCH:Every3rd", FieldType::Flag),
            field<&R::every4th>("SCH:Every4th", FieldType::Flag),
            field<&R::everyLast>("SCH:EveryLast", FieldType::Flag),
            field<&R::lastDayOfMonth>("SCH:LastDayOfMonth", FieldType::Flag),
            field<&R::everyType>("SCH:EveryType", FieldType::Text, 20),
            field<&R::date>("SCH:Date", FieldType::Date),
            field<&R::time>("SCH:Time", FieldType::Time),
            field<&R::lastRunDate>("SCH:LastRunDate", FieldType::Date),
            field<&R::lastRunTime>("SCH:LastRunTime", FieldType::Time),
            field<&R::skipNextTime>("SCH:SkipNextTime", FieldType::Flag),
            field<&R::alarm>("SCH:Alarm", FieldType::Flag),
            // 255 bytes, the last one the terminator.
            field<&R::alarmFile>("SCH:AlarmFile", FieldType::ZText, 254),
            field<&R::advanceWarnDate>("SCH:AdvanceWarnDate", FieldType::Date),
            field<&R::advanceWarnTime>("SCH:AdvanceWarnTime", FieldType::Time),
            field<&R::advanceWarned>("SCH:AdvanceWarned", FieldType::Flag),
            field<&R::warn>("SCH:Warn", FieldType::Flag),
            field<&R::skipIfMissed>("SCH:SkipIfMissed", FieldType::Flag),
            field<&R::noHistory>("SCH:NoHistory", FieldType::Flag),
            field<&R::userSkip>("SCH:UserSkip", FieldType::Flag),
            field<&R::disabled>("SCH:Disabled", FieldType::Flag),
            field<&R::completed>("SCH:Completed", FieldType::Flag),
            field<&R::skipped>("SCH:Skipped", FieldType::Flag),
            field<&R::undefinedOption1>("SCH:UndefinedOption1", FieldType::Flag),
            field<&R::undefinedOption2>("SCH:UndefinedOption2", FieldType::Flag),
            field<&R::shiftType>("SCH:ShiftType", FieldType::Text, 20),
            field<&R::exceptWeekends>("SCH:ExceptWeekends", FieldType::Flag),
            field<&R::exceptWeekdays>("SCH:ExceptWeekdays", FieldType::Flag),
            field<&R::exceptHolidays>("SCH:ExceptHolidays", FieldType::Flag),
            field<&R::exceptTime>("SCH:ExceptTime", FieldType::Flag),
            field<&R::exceptTimeBegin>("SCH:ExceptTimeBegin", FieldType::Time),
            field<&R::exceptTimeEnd>("SCH:ExceptTimeEnd", FieldType::Time),
            field<&R::exceptOther>("SCH:ExceptOther", FieldType::Text, 20),
            field<&R::exceptionLink>("SCH:ExceptionLink", FieldType::Int32),
            field<&R::networkUser>("SCH:NetworkUser", FieldType::Text, 30),
            field<&R::lastChangeDate>("SCH:LastChangeDate", FieldType::Date),
            field<&R::lastChangeTime>("SCH:LastChangeTime", FieldType::Time),
            field<&R::originalId>("SCH:OriginalID", FieldType::Int32),
            field<&R::message>("SCH:Message", FieldType::Memo, 1000),
        };
        addKey(l, "SCH:KeyID", {"SCH:ID"}, kKeyUnique | kKeyPrimary, "By System ID");
        addKey(l, "SCH:KeyUser", {"SCH:User", "SCH:ID"});
        addKey(l, "SCH:KeyDate", {"SCH:Date", "SCH:Time"});
        addKey(l, "SCH:KeyUserDate", {"SCH:User", "SCH:Date", "SCH:Time"});
        addKey(l, "SCH:KeyCategory", {"SCH:Category", "SCH:Description"});
        addKey(l, "SCH:KeyCategoryDate", {"SCH:Category", "SCH:Date", "SCH:Time"});
        addKey(l, "SCH:KeyTaskName", {"SCH:Description", "SCH:Category"});
        addKey(l, "SCH:KeyTaskType", {"SCH:TaskType", "SCH:Description"});
        addKey(l, "SCH:KeyTaskDate", {"SCH:TaskType", "SCH:Date", "SCH:Time"});
        addKey(l, "SCH:KeyDateEnabled", {"SCH:Disabled", "SCH:Date", "SCH:Time"});
        addKey(l, "SCH:KeyAdvanced", {"SCH:AdvanceWarned", "SCH:AdvanceWarnDate", "SCH:AdvanceWarnTime"});
        addKey(l, "SCH:KeyUserAdvanced", {"SCH:User", "SCH:AdvanceWarnDate", "SCH:AdvanceWarnTime"});
        addKey(l, "SCH:KeyOriginalID", {"SCH:OriginalID"});
        return l;
    }();
    return layout;
}

const Layout& syncScheduleLayout() {
    static const Layout layout = twinLayout(scheduleLayout(), "SyncSchedule", "SSch", 1);
    return layout;
}

}  // namespace cm
