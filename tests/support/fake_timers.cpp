#include "support/fake_timers.h"

#include "support/fake_clock.h"

namespace cm::test {

TimerId FakeTimers::singleShot(std::chrono::milliseconds delay, Callback callback) {
    m_lastDelay = delay;
    const TimerId id = m_next++;
    m_timers.emplace(id, Entry{m_now + delay, std::chrono::milliseconds(0), std::move(callback)});
    return id;
}

TimerId FakeTimers::periodic(std::chrono::milliseconds interval, Callback callback) {
    const TimerId id = m_next++;
    if (interval.count() <= 0) interval = std::chrono::milliseconds(1);
    m_timers.emplace(id, Entry{m_now + interval, interval, std::move(callback)});
    return id;
}

void FakeTimers::cancel(TimerId id) { m_timers.erase(id); }

void FakeTimers::moveTo(std::chrono::milliseconds t) {
    if (t <= m_now) return;
    if (m_clock) m_clock->advanceHundredths((t - m_now).count() / 10);
    m_now = t;
}

bool FakeTimers::fireEarliest(std::chrono::milliseconds limit) {
    auto best = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
        if (best == m_timers.end() || it->second.due < best->second.due) best = it;
    if (best == m_timers.end() || best->second.due > limit) return false;
    const TimerId id = best->first;
    moveTo(best->second.due);
    Callback callback = best->second.callback;
    if (best->second.interval.count() > 0)
        best->second.due += best->second.interval;
    else
        m_timers.erase(best);
    (void)id;
    callback();
    return true;
}

void FakeTimers::advance(std::chrono::milliseconds by) {
    const auto target = m_now + by;
    while (fireEarliest(target)) {
    }
    moveTo(target);
}

bool FakeTimers::fireNext() { return fireEarliest(std::chrono::milliseconds::max()); }

}  // namespace cm::test
