#include "store/tables/holiday_record.h"

namespace cm {

const Layout& holidaysLayout() {
    static const Layout layout = [] {
        using R = HolidayRecord;
        Layout l;
        l.table = "Holidays";
        l.prefix = "HOL";
        l.version = 2;
        l.fields = {
            field<&R::holidayDate>("HOL:HolidayDate", FieldType::Date),
            field<&R::holiday>("HOL:Holiday", FieldType::Text, 20),
            field<&R::annual>("HOL:Annual", FieldType::Flag),
        };
        addKey(l, "HOL:KeyHolidayDate", {"HOL:HolidayDate"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
