#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "engine/message_router.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_timers.h"
#include "shell/application.h"
#include "shell/clock.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_runtime.h"
#include "store/tables/todo_record.h"

namespace cm {

class BrowseWindowLookup;
class DbusDde;
class Keyboard;
class MessageActions;
class QtMessageSink;
class ScriptWiring;
class SingleInstance;
class TableUse;
class WindowSystem;
class X11Session;

// Hands the monitor's messages to the notification windows, which can only be built once the
// program's settings and task actions exist.
class MessageSinkRelay final : public MessageSink {
public:
    void setTarget(MessageSink* target) { m_target = target; }
    void showMessage(const TaskMessage& m) override {
        if (m_target) m_target->showMessage(m);
    }
    void showModalMessage(const TaskMessage& m) override {
        if (m_target) m_target->showModalMessage(m);
    }
    void showReplyMessage(const TaskMessage& m) override {
        if (m_target) m_target->showReplyMessage(m);
    }
    void plainBox(const TaskMessage& m) override {
        if (m_target) m_target->plainBox(m);
    }
    void external(const TaskMessage& m) override {
        if (m_target) m_target->external(m);
    }

private:
    MessageSink* m_target = nullptr;
};

// The frame's script indicator, "&Stop Running Script" and the tray menu on the script queue.
void connectScriptControl(MainWindow& frame, ScriptWiring& scripts);

// The desktop program: the real ports, the frame and the program core wired together.
class DesktopProgram final : public QObject {
    Q_OBJECT
public:
    explicit DesktopProgram(std::filesystem::path dataFolder);
    ~DesktopProgram() override;

    // Opens the frame and runs the event loop; the exit status.
    int run(bool switchedFromWayland);
    // Ends the program through the normal shutdown (signals, session end, the frame closing).
    void quit();

private:
    void connectCommands();
    void openWindowLookup();
    void startScripts();
    void tellAboutWayland();
    void shutDown();

    std::filesystem::path m_dataFolder;
    SystemClock m_clock;
    QtTimers m_timers;
    PosixProcessLauncher m_launcher;
    QtSound m_sound;
    QtRuntime m_runtime;
    MessageSinkRelay m_relay;
    MainWindow m_frame;
    Application m_app;

    std::unique_ptr<Table<ScheduleRecord>> m_messageSchedule;
    std::unique_ptr<Table<TodoRecord>> m_todo;
    std::vector<std::unique_ptr<TableUse>> m_uses;
    std::unique_ptr<MessageActions> m_messageActions;
    std::unique_ptr<QtMessageSink> m_sink;
    QPointer<BrowseWindowLookup> m_windowLookup;
    std::unique_ptr<X11Session> m_x11;
    std::unique_ptr<Keyboard> m_keyboard;
    std::unique_ptr<WindowSystem> m_windows;
    std::unique_ptr<DbusDde> m_dde;
    std::unique_ptr<ScriptWiring> m_scripts;
    SingleInstance* m_instance = nullptr;
};

}  // namespace cm
