#include "shell/script_wiring.h"

#include "engine/task_actions.h"
#include "shell/keyboard.h"
#include "shell/window_system.h"
#include "store/tables/table_catalog.h"

namespace cm {
namespace {

class NoKeyboard final : public Keyboard {
public:
    bool typeText(std::string_view) override { return false; }
    bool pressKey(int) override { return false; }
};

class NoWindowSystem final : public WindowSystem {
public:
    std::vector<WindowInfo> topLevelWindows() override { return {}; }
    bool bringToFront(WindowId) override { return false; }
    std::optional<WindowInfo> activeWindow() override { return std::nullopt; }
    bool requestClose(WindowId) override { return false; }
};

std::string declared(std::string_view table) { return std::string(findTable(table)->declaredName); }

}  // namespace

ScriptWiring::ScriptWiring(const ScriptPorts& ports)
    : m_noKeyboard(ports.keyboard ? nullptr : std::make_unique<NoKeyboard>()),
      m_noWindows(ports.windows ? nullptr : std::make_unique<NoWindowSystem>()),
      m_keyboard(ports.keyboard ? *ports.keyboard : *m_noKeyboard),
      m_windows(ports.windows ? *ports.windows : *m_noWindows),
      m_actions(ports.actions),
      m_runtime(ports.runtime),
      m_scripting(scriptingLayout(), declared("Scripting")),
      m_lookup(windowLookupLayout(), declared("WindowLookup")),
      m_loader(m_queue, m_scripting, ports.clock, ports.settings, ports.runtime),
      m_sender(m_keyboard, ports.timers, ports.runtime, ports.settings, &ports.clock),
      m_interpreter(ScriptContext{m_queue, ports.runtime, ports.clock, ports.settings, ports.log, ports.actions,
                                  m_sender, m_windows, ports.dde}),
      m_finder(m_windows) {
    // Window titles are only worth recording where windows can be listed.
    if (ports.windows) m_recorder.emplace(m_finder, ports.clock, ports.settings, m_lookup);
}

ScriptWiring::~ScriptWiring() {
    detach();
    m_scriptingUse.reset();
    m_lookup.close();
}

bool ScriptWiring::open() {
    m_scriptingUse.emplace(m_scripting, m_runtime);
    if (m_scriptingUse->open()) return true;
    m_scriptingUse.reset();
    return false;
}

void ScriptWiring::attach(Monitor& monitor, MonitorHooks* frame) {
    m_monitor = &monitor;
    m_frame = frame;
    m_actions.setScriptQueuer([this](std::int32_t taskId) { loadTaskScript(taskId); });
    monitor.setScriptStepper(&m_interpreter);
    monitor.setHooks(this);
}

void ScriptWiring::detach() {
    if (!m_monitor) return;
    m_interpreter.emptyQueue();
    m_actions.setScriptQueuer({});
    m_monitor->setHooks(m_frame);
    m_monitor->setScriptStepper(nullptr);
    m_monitor = nullptr;
}

void ScriptWiring::emptyQueue() {
    m_interpreter.emptyQueue();
    queueChanged();
}

void ScriptWiring::loadTaskScript(std::int32_t taskId) {
    m_loader.loadTaskScript(taskId);
    queueChanged();
}

void ScriptWiring::queueChanged() {
    if (m_observer) m_observer(queued());
}

void ScriptWiring::clipboardStep() {
    if (m_frame) m_frame->clipboardStep();
}

void ScriptWiring::recordNextWindowTitle() {
    if (m_recorder) m_recorder->recordNextWindowTitle();
}

bool ScriptWiring::frameIconized() const { return m_frame && m_frame->frameIconized(); }

void ScriptWiring::restoreFrame() {
    if (m_frame) m_frame->restoreFrame();
}

void ScriptWiring::setScriptIndicator(std::string_view text) {
    if (m_frame) m_frame->setScriptIndicator(text);
}

void ScriptWiring::refreshTrayIcon(bool scriptRunning) {
    // The sender animates the tray through its groups; a tick must not put the icon back.
    if (m_interpreter.sending()) return;
    if (m_frame) m_frame->refreshTrayIcon(scriptRunning);
}

}  // namespace cm
