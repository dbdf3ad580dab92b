#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A date that task exceptions treat as a holiday.
struct HolidayRecord {
    std::int32_t holidayDate = 0;
    std::string holiday;
    std::uint8_t annual = 0;

    friend bool operator==(const HolidayRecord&, const HolidayRecord&) = default;
};

const Layout& holidaysLayout();

}  // namespace cm
