#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "store/tables/schedule_record.h"

namespace cm {

class EventLog;
class Runtime;
struct Settings;

// What a message window is opened with: the task's description, message, alarm and, for a
// reply message, the folder replies go to.
struct TaskMessage {
    static constexpr std::size_t kTitleWidth = 40;
    static constexpr std::size_t kTextWidth = 1000;
    static constexpr std::size_t kAlarmFileWidth = 255;
    static constexpr std::size_t kReplyPathWidth = 240;

    std::string title;
    std::string text;
    std::string alarmFile;  // empty when the task sounds no alarm
    std::string replyPath;

    static TaskMessage of(const ScheduleRecord& task);
};

// The notification windows, which the desktop shell provides. Each call opens a window and
// returns at once: none may wait for the user, because they are called inside a monitor tick.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // The child message window in the frame. It reports itself through
    // MessageRouter::windowOpened() and windowClosed().
    virtual void showMessage(const TaskMessage& message) = 0;
    // The top-level, application-modal message window kept above all others.
    virtual void showModalMessage(const TaskMessage& message) = 0;
    // The top-level modal window of a reply message, with its "&Reply" button.
    virtual void showReplyMessage(const TaskMessage& message) = 0;
    // The text in a plain box titled with the title, opened without blocking ("UseWinMessage").
    virtual void plainBox(const TaskMessage& message) = 0;
    // The external message helper, given the text as its argument ("UseExternalMessage").
    virtual void external(const TaskMessage& message) = 0;
};

// Chooses how a fired task's message is shown, and keeps the count of open child message
// windows with its limit.
class MessageRouter {
public:
    static constexpr int kWindowLimit = 60;
    static constexpr std::string_view kReplyMarker = "Reply to:";
    static constexpr std::string_view kMessageEvent = "Message";

    // settings is read at every message, so the options window's changes apply at once.
    MessageRouter(MessageSink& sink, Runtime& runtime, EventLog& log, const Settings& settings);

    // Whether a firing task brings the frame out of the tray: it will show a message window
    // that lives in the frame, or the user wants the frame back for every program run.
    static bool frameRestoreWanted(const ScheduleRecord& task, const Settings& settings);
    static bool isReply(const ScheduleRecord& task);

    // Opens the task's message window, or, with kWindowLimit child windows open, shows the
    // message in a plain box owned by the frame, which holds the monitor until it is closed.
    void showTaskMessage(const ScheduleRecord& task);

    void windowOpened() { ++m_openWindows; }
    void windowClosed() {
        if (m_openWindows > 0) --m_openWindows;
    }
    int openWindows() const { return m_openWindows; }

private:
    void logMessage(const TaskMessage& message);

    MessageSink& m_sink;
    Runtime& m_runtime;
    EventLog& m_log;
    const Settings& m_settings;
    int m_openWindows = 0;
};

}  // namespace cm
