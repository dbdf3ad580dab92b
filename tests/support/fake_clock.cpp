#include "support/fake_clock.h"

namespace cm::test {

void FakeClock::set(int year, int month, int day, int hour, int minute, int second) {
    m_now = {Date::fromYmd(year, month, day), Time::fromHms(hour, minute, second)};
}

}  // namespace cm::test
