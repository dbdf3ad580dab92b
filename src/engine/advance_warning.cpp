#include "engine/advance_warning.h"

#include "base/fixed_text.h"
#include "base/picture.h"
#include "engine/event_log.h"
#include "engine/message_router.h"
#include "engine/schedule_writer.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "store/store_error.h"

namespace cm {
namespace {

std::string_view trimLeadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string clipped(std::string_view text) {
    return std::string(FixedText::trimTrailingBlanks(text));
}

}  // namespace

AdvanceWarning::AdvanceWarning(Table<ScheduleRecord>& schedule, const ScheduleWriter& writer, Runtime& runtime,
                               const Clock& clock, EventLog& log)
    : m_schedule(schedule), m_writer(writer), m_runtime(runtime), m_clock(clock), m_log(log) {}

std::string AdvanceWarning::text(const ScheduleRecord& task) {
    std::string out = formatDate(task.date, kDatePicture) + " " + formatTime(task.time, kTimePicture) + "\r";
    const auto both = [&] { return clipped(task.message) + "\r" + std::string(kBothCommandLabel) + task.command; };
    if (TaskType::is(task.taskType, TaskType::kDisplayMessage)) {
        out += task.message;
    } else if (TaskType::is(task.taskType, TaskType::kRunProgram)) {
        out += std::string(kRunCommandLabel) + task.command;
    } else if (TaskType::is(task.taskType, TaskType::kBoth) ||
               !FixedText::trimTrailingBlanks(task.command).empty()) {
        out += trimLeadingBlanks(both());
    } else {
        out += trimLeadingBlanks(clipped(task.message));
    }
    return out;
}

// Rows without a schedule type cannot be warned about and are passed over, so one of them at
// the head of the order does not silence every later warning. Rows whose handled occurrence is
// still waiting to be written are passed over too: their warning belongs to that occurrence.
bool AdvanceWarning::readEarliest() {
    if (m_schedule.set(m_schedule.keyIndex("SCH:KeyAdvanced")) != StoreCode::kOk) return false;
    while (m_schedule.next() == StoreCode::kOk) {
        const ScheduleRecord& task = m_schedule.record();
        if (task.advanceWarned) return false;
        if (FixedText::trimTrailingBlanks(task.scheduleType).empty() || m_writer.awaitsWrite(task.id)) continue;
        return true;
    }
    return false;
}

void AdvanceWarning::check() {
    if (!readEarliest()) return;
    ScheduleRecord& task = m_schedule.record();
    const Moment now = m_clock.current();
    const bool passed =
        now.date > task.advanceWarnDate || (now.date == task.advanceWarnDate && now.time > task.advanceWarnTime);
    if (!passed) return;

    const Warned warned{task.id, task.advanceWarnDate, task.advanceWarnTime};
    if (!task.skipNextTime && m_unstored != warned) {
        m_log.logEvent(kEvent, task.description);
        MessageBoxRequest box;
        box.text = text(task);
        box.title = kTitle;
        box.owner = Owner::Frame;
        // The program is quitting: the warning was not seen, so it is not marked.
        if (m_runtime.messageBox(box) == Button::Aborted) return;
    }
    m_schedule.record().advanceWarned = 1;
    if (m_schedule.put() == StoreCode::kOk) {
        m_unstored.reset();
    } else {
        // Store errors here go unreported; the mark is written on a later tick.
        m_unstored = warned;
        m_schedule.clearError();
    }
}

}  // namespace cm
