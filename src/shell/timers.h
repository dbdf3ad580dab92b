#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace cm {

using TimerId = std::uint64_t;

// Single-shot and periodic timers. The GUI, the terminal program and the tests (advanced by
// hand) all drive the monitor, the keystroke sender and progress work through this port.
class Timers {
public:
    using Callback = std::function<void()>;
    virtual ~Timers() = default;
    virtual TimerId singleShot(std::chrono::milliseconds delay, Callback callback) = 0;
    virtual TimerId periodic(std::chrono::milliseconds interval, Callback callback) = 0;
    // Cancelling an unknown or finished timer does nothing.
    virtual void cancel(TimerId id) = 0;

    // The program speaks of periods in hundredths of a second.
    static std::chrono::milliseconds hundredths(std::int64_t h) { return std::chrono::milliseconds(h * 10); }
};

}  // namespace cm
