#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/table_handle.h"
#include "store/tables/holiday_record.h"

namespace cm {

// The holidays that task exceptions avoid.
class HolidayCalendar {
public:
    virtual ~HolidayCalendar() = default;
    // Moves each annual holiday dated before today to the same month and day one year later.
    virtual void rollAnnual(std::int32_t today) = 0;
    virtual bool isHoliday(std::int32_t date) = 0;
};

// Holidays held in memory: for simulations that must store nothing, and for tests.
class MemoryHolidayCalendar final : public HolidayCalendar {
public:
    MemoryHolidayCalendar() = default;
    explicit MemoryHolidayCalendar(const std::vector<HolidayRecord>& rows);

    // False when a holiday already has that date (the date is unique, as in the table).
    bool add(const HolidayRecord& row);
    std::vector<HolidayRecord> rows() const;

    void rollAnnual(std::int32_t today) override;
    bool isHoliday(std::int32_t date) override { return m_rows.count(date) != 0; }

private:
    std::map<std::int32_t, HolidayRecord> m_rows;
};

// The Holidays table. The caller opens the handle (OpenOrCreateTable); a handle that is not
// open, or a read that fails, counts as "no holiday", since store errors here go unreported.
class StoreHolidayCalendar final : public HolidayCalendar {
public:
    explicit StoreHolidayCalendar(Table<HolidayRecord>& table) : m_table(table) {}

    void rollAnnual(std::int32_t today) override;
    bool isHoliday(std::int32_t date) override;

private:
    Table<HolidayRecord>& m_table;
};

// The date of an annual holiday one year on; 29 February rolls to 1 March.
std::int32_t nextYearsDate(std::int32_t date);

}  // namespace cm
