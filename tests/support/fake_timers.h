#pragma once

#include <map>
#include <vector>

#include "shell/timers.h"

namespace cm::test {

class FakeClock;

// Timers that fire only when the test advances time. With a FakeClock attached, advancing
// moves the clock too, so code reading "now" in a callback sees the moment the timer fired.
class FakeTimers final : public Timers {
public:
    explicit FakeTimers(FakeClock* clock = nullptr) : m_clock(clock) {}

    TimerId singleShot(std::chrono::milliseconds delay, Callback callback) override;
    TimerId periodic(std::chrono::milliseconds interval, Callback callback) override;
    void cancel(TimerId id) override;

    // Moves time forward, firing every timer that falls due on the way, in time order.
    void advance(std::chrono::milliseconds by);
    // Fires the next timer at once (moving time to it); false when none is pending.
    bool fireNext();
    std::size_t pending() const { return m_timers.size(); }
    std::chrono::milliseconds elapsed() const { return m_now; }
    // The delay the most recent single-shot timer was armed with.
    std::chrono::milliseconds lastDelay() const { return m_lastDelay; }

private:
    struct Entry {
        std::chrono::milliseconds due;
        std::chrono::milliseconds interval;  // 0 for single shot
        Callback callback;
    };
    void moveTo(std::chrono::milliseconds t);
    bool fireEarliest(std::chrono::milliseconds limit);

    FakeClock* m_clock;
    std::map<TimerId, Entry> m_timers;
    TimerId m_next = 1;
    std::chrono::milliseconds m_now{0};
    std::chrono::milliseconds m_lastDelay{0};
};

}  // namespace cm::test
