#include "engine/holiday_calendar.h"

#include "base/date.h"

namespace cm {

std::int32_t nextYearsDate(std::int32_t date) {
    const YearMonthDay ymd = Date::toYmd(date);
    const std::int32_t next = Date::build(ymd.month, ymd.day, ymd.year + 1);
    return next == Date::kNone ? date : next;
}

MemoryHolidayCalendar::MemoryHolidayCalendar(const std::vector<HolidayRecord>& rows) {
    for (const HolidayRecord& row : rows) add(row);
}

bool MemoryHolidayCalendar::add(const HolidayRecord& row) {
    return m_rows.emplace(row.holidayDate, row).second;
}

std::vector<HolidayRecord> MemoryHolidayCalendar::rows() const {
    std::vector<HolidayRecord> out;
    out.reserve(m_rows.size());
    for (const auto& [date, row] : m_rows) out.push_back(row);
    return out;
}

void MemoryHolidayCalendar::rollAnnual(std::int32_t today) {
    std::vector<std::int32_t> due;
    for (auto it = m_rows.begin(); it != m_rows.end() && it->first < today; ++it)
        if (it->second.annual) due.push_back(it->first);
    // Like the table walk, which meets a moved row again further on, a row years behind is
    // moved a year at a time until it is today or later; a date already taken stops it there,
    // as the table's unique key does.
    for (std::int32_t date : due) {
        auto node = m_rows.extract(date);
        HolidayRecord& row = node.mapped();
        while (row.holidayDate < today) {
            const std::int32_t next = nextYearsDate(row.holidayDate);
            if (next == row.holidayDate || m_rows.count(next) != 0) break;
            row.holidayDate = next;
        }
        node.key() = row.holidayDate;
        m_rows.insert(std::move(node));
    }
}

void StoreHolidayCalendar::rollAnnual(std::int32_t today) {
    if (!m_table.isOpen()) return;
    const int key = m_table.keyIndex("HOL:KeyHolidayDate");
    if (m_table.set(key) != StoreCode::kOk) return;
    while (m_table.next() == StoreCode::kOk) {
        HolidayRecord& row = m_table.record();
        if (row.holidayDate >= today) break;
        if (!row.annual) continue;
        row.holidayDate = nextYearsDate(row.holidayDate);
        // A put onto a date that already has a holiday fails on the unique key and the row stays.
        // The walk goes on from the row's old place, so a moved row still before today is met
        // again and moved once more.
        m_table.put();
    }
    m_table.clearError();
}

bool StoreHolidayCalendar::isHoliday(std::int32_t date) {
    if (!m_table.isOpen() || date == Date::kNone) return false;
    m_table.record().holidayDate = date;
    return m_table.get(m_table.keyIndex("HOL:KeyHolidayDate")) == StoreCode::kOk;
}

}  // namespace cm
