#pragma once

#include <cstdint>

#include "base/moment.h"

namespace cm {

// Everything that asks for "today" or "now" goes through a Clock, so tests run at any moment.
class Clock {
public:
    virtual ~Clock() = default;
    // Today and now read together, so a reading never straddles midnight.
    virtual Moment current() const = 0;
    std::int32_t today() const { return current().date; }
    std::int32_t now() const { return current().time; }
};

// The local wall clock.
class SystemClock final : public Clock {
public:
    Moment current() const override;
};

}  // namespace cm
