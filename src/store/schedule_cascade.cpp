#include "store/schedule_cascade.h"

#include "store/record_rules.h"
#include "store/warning_reporter.h"

namespace cm {

namespace {
constexpr int kWarnRetrieval = 35;
}

ScheduleCascade::ScheduleCascade(WarningReporter& reporter) : m_reporter(reporter) {}

ScheduleCascade::ScheduleCascade(WarningReporter& reporter, Table<ScriptingRecord>& scripting, Table<LinkRecord>& links)
    : m_reporter(reporter), m_scripting(&scripting), m_links(&links) {}

int ScheduleCascade::deleteCurrent(Table<ScheduleRecord>& schedule) {
    RecordRules rules(m_reporter);
    if (m_scripting != nullptr) rules.provide(*m_scripting);
    if (m_links != nullptr) rules.provide(*m_links);
    return rules.deleteRecord(schedule);
}

int ScheduleCascade::deleteId(Table<ScheduleRecord>& schedule, std::int32_t id) {
    schedule.record().id = id;
    const int code = schedule.get(schedule.keyIndex("SCH:KeyID"));
    if (code == StoreCode::kOk) return deleteCurrent(schedule);
    if (code != StoreCode::kNotFound) {
        m_reporter.show(kWarnRetrieval, schedule.layout().table, {}, schedule.lastError());
        return RecordRules::kFailed;
    }
    RecordRules rules(m_reporter);
    if (m_scripting != nullptr) rules.provide(*m_scripting);
    if (m_links != nullptr) rules.provide(*m_links);
    schedule.record().id = id;
    return rules.deleteOrphans(schedule);
}

int deleteScheduleCascade(Table<ScheduleRecord>& schedule, Runtime& runtime) {
    WarningReporter reporter(runtime);
    return ScheduleCascade(reporter).deleteCurrent(schedule);
}

int deleteScheduleCascade(Table<ScheduleRecord>& schedule, Table<ScriptingRecord>& scripting, Table<LinkRecord>& links,
                          std::int32_t id, StoreError& error) {
    WarningReporter silent;
    const int result = ScheduleCascade(silent, scripting, links).deleteId(schedule, id);
    error = result == RecordRules::kDone ? StoreError{} : silent.lastError();
    return result;
}

}  // namespace cm
