#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/monitor.h"
#include "script/keystroke_sender.h"
#include "script/script_interpreter.h"
#include "script/script_loader.h"
#include "script/script_queue.h"
#include "script/title_recorder.h"
#include "script/window_finder.h"
#include "store/table_registry.h"
#include "store/tables/scripting_record.h"
#include "store/tables/window_lookup_record.h"

namespace cm {

class Clock;
class Dde;
class EventLog;
class Keyboard;
class Runtime;
class TaskActions;
class Timers;
class WindowSystem;
struct Settings;

// What the script engine runs on. Without a keyboard and a window system (no X display) the
// keyboard and window steps fail, as they would against a desktop without such a window, and
// no window titles are recorded.
struct ScriptPorts {
    Runtime& runtime;
    const Clock& clock;
    Timers& timers;
    const Settings& settings;
    EventLog& log;
    TaskActions& actions;
    Dde& dde;
    Keyboard* keyboard = nullptr;
    WindowSystem* windows = nullptr;
};

// The script engine as both programs run it: the queue that the task actions load scripts
// into, the interpreter the monitor steps, the keystroke sender and the window-title recorder.
// Attached, it stands between the monitor and the frame's hooks: it records window titles and
// keeps the monitor from resetting the tray icon while the sender animates it.
class ScriptWiring final : public MonitorHooks {
public:
    explicit ScriptWiring(const ScriptPorts& ports);
    ~ScriptWiring() override;
    ScriptWiring(const ScriptWiring&) = delete;
    ScriptWiring& operator=(const ScriptWiring&) = delete;

    // Opens the Scripting table; false when it cannot be (the runtime has said why).
    bool open();
    // frame gets every hook the engine does not take; null for none.
    void attach(Monitor& monitor, MonitorHooks* frame);
    // Empties the queue and gives the monitor and the task actions back their own hooks.
    void detach();

    bool queued() const { return !m_queue.empty(); }
    // "&Stop Running Script", the script indicator and "Clear current script queue".
    void emptyQueue();
    void loadTaskScript(std::int32_t taskId);
    // Told whether scripts are queued whenever the queue is loaded or emptied, also outside a
    // tick, so a tray menu drawn by the desktop stays current. Ticks tell the frame themselves.
    void setQueueObserver(std::function<void(bool queued)> observer) { m_observer = std::move(observer); }

    ScriptQueue& queue() { return m_queue; }
    ScriptInterpreter& interpreter() { return m_interpreter; }
    KeystrokeSender& sender() { return m_sender; }
    Table<ScriptingRecord>& scripting() { return m_scripting; }

    // MonitorHooks
    void clipboardStep() override;
    void recordNextWindowTitle() override;
    bool frameIconized() const override;
    void restoreFrame() override;
    void setScriptIndicator(std::string_view text) override;
    void refreshTrayIcon(bool scriptRunning) override;

private:
    void queueChanged();

    std::unique_ptr<Keyboard> m_noKeyboard;
    std::unique_ptr<WindowSystem> m_noWindows;
    Keyboard& m_keyboard;
    WindowSystem& m_windows;
    TaskActions& m_actions;
    Runtime& m_runtime;
    Table<ScriptingRecord> m_scripting;
    Table<WindowLookupRecord> m_lookup;
    std::optional<TableUse> m_scriptingUse;
    ScriptQueue m_queue;
    ScriptLoader m_loader;
    KeystrokeSender m_sender;
    ScriptInterpreter m_interpreter;
    WindowFinder m_finder;
    std::optional<TitleRecorder> m_recorder;
    Monitor* m_monitor = nullptr;
    MonitorHooks* m_frame = nullptr;
    std::function<void(bool)> m_observer;
};

}  // namespace cm
