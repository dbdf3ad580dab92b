#pragma once

#include <cstdint>

namespace cm {

// A date and a time together. All arithmetic that moves a time across midnight goes through
// here, so no caller repeats the carry rule.
struct Moment {
    std::int32_t date = 0;
    std::int32_t time = 0;

    // Carries a time above one day into the following days, and borrows for a time below
    // midnight (a negative step). A time of 0 ("no time") is left alone.
    Moment normalized() const;
    Moment plusHundredths(std::int64_t hundredths) const;
    Moment plusDays(std::int32_t days) const { return {date + days, time}; }

    friend bool operator==(const Moment& a, const Moment& b) = default;
};

// -1, 0 or 1 after carrying both times: date first, then time.
int compareMoments(std::int32_t date1, std::int32_t time1, std::int32_t date2, std::int32_t time2);
int compareMoments(const Moment& a, const Moment& b);

}  // namespace cm
