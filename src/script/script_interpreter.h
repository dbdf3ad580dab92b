#pragma once

#include <cstdint>
#include <string_view>

#include "base/moment.h"
#include "engine/monitor.h"
#include "script/window_finder.h"

namespace cm {

class Clock;
class Dde;
class EventLog;
class KeystrokeSender;
class Runtime;
class ScriptQueue;
class TaskActions;
class WindowSystem;
struct ScriptEntry;
struct Settings;

// Everything the interpreter works with.
struct ScriptContext {
    ScriptQueue& queue;
    Runtime& runtime;
    const Clock& clock;
    const Settings& settings;
    EventLog& log;
    TaskActions& actions;
    KeystrokeSender& sender;
    WindowSystem& windows;
    Dde& dde;
};

// ScriptStep: carries out the queue's first item when it is due, at most one per monitor
// tick, and keeps status zone 2 on the item at the head.
//
// A "Send Keystrokes" item stays at the head while its groups go out on the timers; it is
// logged and removed when the sender reports the last group sent. Until then the monitor
// holds its other steps (sending()) and step() does nothing.
class ScriptInterpreter final : public ScriptStepper {
public:
    static constexpr std::string_view kScriptEvent = "Script";
    static constexpr std::string_view kKillProcHelper = "KillProc";
    static constexpr std::string_view kCompletedStatus = "Script completed";
    static constexpr std::string_view kErrorTitle = "Script Error";
    static constexpr std::string_view kInvalidOption = "Invalid script option:  ";
    static constexpr std::string_view kDebugTitle = "Debug";
    static constexpr std::string_view kSwitchedToWindow = "Switched to window:\r";
    static constexpr std::string_view kSetFocusTitle = "Set Focus";
    static constexpr std::string_view kFailedSetFocusTitle = "Failed Set Focus";
    static constexpr std::string_view kPassedTitle = "Test passed";
    static constexpr std::string_view kPassedText = "Next item will be processed.";
    static constexpr std::string_view kFailedTitle = "Test failed";
    static constexpr std::string_view kFailedText = "Removing task items.";

    explicit ScriptInterpreter(const ScriptContext& context);

    void step() override;
    bool queueEmpty() const override;
    bool sending() const override;

    // "&Stop Running Script", the script indicator and "Clear current script queue": drops
    // every pending item at once and stops a keystroke send after its current group.
    void emptyQueue();

private:
    // What carrying out an item left to do at the end of the step.
    enum class Outcome { Done, Keep, Abandoned };

    Outcome carryOut(ScriptEntry& entry);
    Outcome dde(const ScriptEntry& entry);
    Outcome closeProgram(const ScriptEntry& entry);
    Outcome startProgram(ScriptEntry& entry);
    Outcome sendKeystrokes(const ScriptEntry& entry);
    Outcome setFocus(const ScriptEntry& entry);
    Outcome waitFor(const ScriptEntry& entry);
    Outcome waitForProgramEnd(const ScriptEntry& entry);
    Outcome condition(const ScriptEntry& entry, bool passed);
    bool windowExists(const ScriptEntry& entry);
    bool timeConditionPasses(const ScriptEntry& entry) const;
    void postponeByWait();

    void finishHead();
    void onSendDone(std::uint64_t serial);
    void showStatus();
    bool debug() const;
    // Shows a box owned by the frame; false when the queue was emptied while it was open.
    bool show(std::string_view text, std::string_view title);
    bool emptied() const { return m_generation != m_stepGeneration; }

    ScriptContext m_ctx;
    WindowFinder m_finder;
    // Bumped by emptyQueue(): a step whose boxes let the queue be emptied stops touching it.
    std::uint64_t m_generation = 0;
    std::uint64_t m_stepGeneration = 0;
    bool m_waitStarted = false;
    Moment m_waitStart;
    // The entry whose keystrokes are going out, 0 when none.
    std::uint64_t m_sendSerial = 0;
};

}  // namespace cm
