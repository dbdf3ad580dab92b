#pragma once

#include <string>
#include <string_view>

#include "store/table_handle.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/todo_record.h"

namespace cm {

class Clock;
struct Settings;

// The change tracking that the task form, wizards, quick add, the step form and the to-do
// form write when they save: who saved (the station's network user name), when, and the
// record's original identifier on its first save. Synchronization reads these; no decision
// of the program does.
class ChangeStamp {
public:
    static constexpr std::size_t kNetworkUserWidth = 30;

    ChangeStamp(std::string_view networkUser, const Clock& clock);
    // The user name that start-up settled on ("UserID", filled from the login when blank).
    ChangeStamp(const Settings& settings, const Clock& clock);

    // SCH:OriginalID becomes SCH:ID when it is 0.
    void apply(ScheduleRecord& task) const;
    // SCR:OriginalID becomes SCR:ID (the owning task) when it is 0.
    void apply(ScriptingRecord& step) const;
    // TDO:OriginalID becomes the number of rows in the table when it is 0. False when they
    // could not be counted; the other stamps are written all the same.
    bool apply(Table<TodoRecord>& todo) const;

    const std::string& networkUser() const { return m_networkUser; }

private:
    template <class R>
    void stampCommon(R& record) const;

    std::string m_networkUser;
    const Clock& m_clock;
};

}  // namespace cm
