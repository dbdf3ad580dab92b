#pragma once

#include <cstdint>
#include <string_view>

#include "store/table_handle.h"
#include "store/tables/schedule_record.h"

namespace cm {

class Clock;
class EventLog;
class Runtime;
class TaskDeleter;
struct Settings;

// The once-a-day removal of old history: disabled tasks whose date lies the configured number
// of days back, the completed ones only unless the settings ask for all.
class HistoryExpiry {
public:
    static constexpr std::string_view kEvent = "History";
    static constexpr std::string_view kEventText = "Checked for tasks needing removal";
    static constexpr std::string_view kFailureTitle = "Cannot Remove History";
    static constexpr std::string_view kFailureText = " error while removing history";

    HistoryExpiry(Table<ScheduleRecord>& schedule, TaskDeleter& deleter, Runtime& runtime, const Clock& clock,
                  const Settings& settings, EventLog& log);

    // Runs at most once per day; the first call after start-up always looks. True when the
    // run finished or deleted something, so the schedule lists have something to refresh.
    bool run();

    std::int32_t lastCheckDay() const { return m_lastCheckDay; }

private:
    void report(std::string_view errorText);

    Table<ScheduleRecord>& m_schedule;
    TaskDeleter& m_deleter;
    Runtime& m_runtime;
    const Clock& m_clock;
    const Settings& m_settings;
    EventLog& m_log;
    std::int32_t m_lastCheckDay = 0;
};

}  // namespace cm
