#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "store/table_handle.h"
#include "store/tables/window_lookup_record.h"

namespace cm {

class Clock;
class WindowFinder;
struct Settings;

// RecordNextWindowTitle: while window monitoring is on, the monitor calls it on every tick on
// which no task is due (through its window-title hook). Each call does one step: it records
// the next pending title in WindowLookup, or, with nothing pending, lists the open windows
// into the pending list.
class TitleRecorder {
public:
    static constexpr std::size_t kPendingWidth = 124;
    static constexpr std::int32_t kDefaultMaxWindows = 100;

    // table is the recorder's own handle on WindowLookup; it is opened when first needed.
    TitleRecorder(WindowFinder& finder, const Clock& clock, const Settings& settings,
                  Table<WindowLookupRecord>& table);

    void recordNextWindowTitle();
    const std::deque<std::string>& pending() const { return m_pending; }

private:
    void record(const std::string& title);
    void trimToMaxWindows();

    WindowFinder& m_finder;
    const Clock& m_clock;
    const Settings& m_settings;
    Table<WindowLookupRecord>& m_table;
    std::deque<std::string> m_pending;
};

}  // namespace cm
