#include "script/title_recorder.h"

#include "base/fixed_text.h"
#include "script/window_finder.h"
#include "shell/clock.h"
#include "shell/settings.h"

namespace cm {
namespace {

constexpr std::size_t kRecordedTitleWidth = 70;

}  // namespace

TitleRecorder::TitleRecorder(WindowFinder& finder, const Clock& clock, const Settings& settings,
                             Table<WindowLookupRecord>& table)
    : m_finder(finder), m_clock(clock), m_settings(settings), m_table(table) {}

void TitleRecorder::recordNextWindowTitle() {
    if (!m_settings.monitorWindows) return;
    if (m_pending.empty()) {
        for (const WindowInfo& window : m_finder.listOpenWindows())
            m_pending.push_back(FixedText::cut(window.title, kPendingWidth));
        return;
    }
    const std::string title = std::move(m_pending.front());
    m_pending.pop_front();
    record(title);
}

// Failures are ignored: the title is lost and the next call carries on with the next one.
void TitleRecorder::record(const std::string& title) {
    const std::string stored = FixedText::stored(title, kRecordedTitleWidth);
    if (stored.empty()) return;
    if (!m_table.isOpen() && m_table.open() != StoreCode::kOk) {
        m_table.clearError();
        return;
    }
    m_table.clear();
    m_table.record().title = stored;
    // A title is recorded once, with the moment it was first seen; the key ignores case.
    if (m_table.get(m_table.keyIndex("WL:KeyTitle")) == StoreCode::kOk) return;
    m_table.clearError();

    const Moment now = m_clock.current();
    m_table.clear();
    m_table.record() = {stored, now.date, now.time};
    if (m_table.add() != StoreCode::kOk) {
        m_table.clearError();
        return;
    }
    trimToMaxWindows();
}

// One record goes per addition: the one seen earliest.
void TitleRecorder::trimToMaxWindows() {
    const std::int64_t maxWindows = m_settings.maxWindows > 0 ? m_settings.maxWindows : kDefaultMaxWindows;
    if (m_table.records() <= maxWindows) {
        m_table.clearError();
        return;
    }
    if (m_table.set(m_table.keyIndex("WL:KeyDate")) == StoreCode::kOk && m_table.next() == StoreCode::kOk)
        m_table.erase();
    m_table.clearError();
}

}  // namespace cm
