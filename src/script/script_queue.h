#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "base/moment.h"
#include "store/tables/scripting_record.h"

namespace cm {

// The action texts the interpreter dispatches on, as the step form stores them.
namespace ScriptAction {
inline constexpr std::string_view kSendKeystrokes = "Send Keystrokes";
inline constexpr std::string_view kWait = "Wait";
inline constexpr std::string_view kSetFocus = "Set Focus";
inline constexpr std::string_view kIfWindow = "If Window...";
inline constexpr std::string_view kIfTimeElapsed = "If Time Elapsed...";
inline constexpr std::string_view kEndIf = "...End If";
inline constexpr std::string_view kDisplayMessage = "Display Message";
inline constexpr std::string_view kStartProgram = "Start Program";
inline constexpr std::string_view kCloseProgram = "Close Program";
inline constexpr std::string_view kExitScript = "Exit Script";
inline constexpr std::string_view kDde = "DDE (Dynamic Data Exchange)";
// Not stored: a "Start Program" step that waits for its program becomes this while it waits.
inline constexpr std::string_view kWaitForProgramEnd = "Wait for Program End";
// Closes every task's script in the queue.
inline constexpr std::string_view kEnd = "**End**";
}  // namespace ScriptAction

// One queued script item: a copy of its Scripting row and the moment it falls due.
struct ScriptEntry {
    ScriptingRecord item;
    // Kept as stored: a postponed time may run past midnight, which makes the entry due on the
    // first tick of the next day.
    Moment due;
    // "If Time Elapsed...": the moment the condition compares with, fixed at load. An "Or"
    // wait: when it gives up, set once it comes up. "Wait for Program End": its time-out.
    std::optional<Moment> deadline;
    // Tells entries apart across removals, so a late keystroke completion finishes only its own.
    std::uint64_t serial = 0;

    std::string_view action() const;
};

// Whether a "Wait" item waits for its seconds or for its window, whichever comes first.
bool isOrWait(const ScriptingRecord& item);

// The process-wide queue of script items: the scripts of several tasks one after the other,
// each closed by an end marker. Only the first entry is ever carried out.
class ScriptQueue {
public:
    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }
    ScriptEntry& front() { return m_entries.front(); }
    const ScriptEntry& front() const { return m_entries.front(); }
    const ScriptEntry& back() const { return m_entries.back(); }
    const std::deque<ScriptEntry>& entries() const { return m_entries; }

    void append(ScriptEntry entry);
    void appendEndMarker(Moment due);
    void popFront();
    // Drops every pending script at once.
    void clear() { m_entries.clear(); }

    // "Exit Script": the head and the rest of its own script, up to but not including the
    // next end marker. False when no end marker was left (the queue ran empty).
    bool removeRestOfScript();
    // A failed condition: the head, then entries up to the "...End If" of its block (or an
    // entry that begins with "End"), which stays at the head; a nested "If " block goes
    // with its own "...End If". False when the queue ran empty.
    bool removeFailedBlock();
    // After a window wait: every entry but the first moves later, without a carry past midnight.
    void postponeAfterFirst(std::int32_t days, std::int32_t hundredths);

    // Status zone 2 while the entry is at the head.
    static std::string statusText(const ScriptEntry& entry);

private:
    void removeNestedBlock();

    std::deque<ScriptEntry> m_entries;
    std::uint64_t m_nextSerial = 1;
};

}  // namespace cm
