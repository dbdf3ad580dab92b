#include "engine/message_router.h"

#include "base/fixed_text.h"
#include "engine/event_log.h"
#include "shell/runtime.h"
#include "shell/settings.h"

namespace cm {

TaskMessage TaskMessage::of(const ScheduleRecord& task) {
    TaskMessage m;
    m.title = FixedText::stored(task.description, kTitleWidth);
    m.text = FixedText::cut(task.message, kTextWidth);
    if (task.alarm) m.alarmFile = FixedText::stored(task.alarmFile, kAlarmFileWidth);
    if (MessageRouter::isReply(task))
        m.replyPath =
            FixedText::stored(std::string_view(task.path).substr(MessageRouter::kReplyMarker.size()), kReplyPathWidth);
    return m;
}

MessageRouter::MessageRouter(MessageSink& sink, Runtime& runtime, EventLog& log, const Settings& settings)
    : m_sink(sink), m_runtime(runtime), m_log(log), m_settings(settings) {}

bool MessageRouter::frameRestoreWanted(const ScheduleRecord& task, const Settings& settings) {
    const bool showsMessage =
        TaskType::is(task.taskType, TaskType::kDisplayMessage) || TaskType::is(task.taskType, TaskType::kBoth);
    return (showsMessage && !settings.useModalMessage) || settings.maximizeOnRun;
}

bool MessageRouter::isReply(const ScheduleRecord& task) {
    return std::string_view(task.path).substr(0, kReplyMarker.size()) == kReplyMarker;
}

void MessageRouter::logMessage(const TaskMessage& message) {
    m_log.logEvent(kMessageEvent, message.title + " " + message.alarmFile);
}

void MessageRouter::showTaskMessage(const ScheduleRecord& task) {
    if (m_openWindows >= kWindowLimit) {
        MessageBoxRequest box;
        box.text = std::string(FixedText::trimTrailingBlanks(FixedText::cut(task.message, TaskMessage::kTextWidth)));
        box.owner = Owner::Frame;
        m_runtime.messageBox(box);
        return;
    }
    const TaskMessage message = TaskMessage::of(task);
    logMessage(message);
    if (isReply(task)) {
        m_sink.showReplyMessage(message);
    } else if (m_settings.useWinMessage) {
        m_sink.plainBox(message);
    } else if (m_settings.useExternalMessage) {
        m_sink.external(message);
    } else if (m_settings.useModalMessage) {
        // The modal window logs its opening as well, so such a message leaves two entries.
        logMessage(message);
        m_sink.showModalMessage(message);
    } else {
        m_sink.showMessage(message);
    }
}

}  // namespace cm
