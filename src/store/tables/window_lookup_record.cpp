#include "store/tables/window_lookup_record.h"

namespace cm {

const Layout& windowLookupLayout() {
    static const Layout layout = [] {
        using R = WindowLookupRecord;
        Layout l;
        l.table = "WindowLookup";
        l.prefix = "WL";
        l.version = 2;
        l.fields = {
            field<&R::title>("WL:Title", FieldType::Text, 70),
            field<&R::date>("WL:Date", FieldType::Date),
            field<&R::time>("WL:Time", FieldType::Time),
        };
        addKey(l, "WL:KeyTitle", {"WL:Title"}, kKeyUnique | kKeyIncludesBlank);
        addKey(l, "WL:KeyDate", {"WL:Date", "WL:Time", "WL:Title"});
        return l;
    }();
    return layout;
}

}  // namespace cm
