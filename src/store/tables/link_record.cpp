#include "store/tables/link_record.h"

namespace cm {

const Layout& linkLayout() {
    static const Layout layout = [] {
        using R = LinkRecord;
        Layout l;
        l.table = "Link";
        l.prefix = "L";
        l.version = 2;
        l.fields = {
            field<&R::id>("L:ID", FieldType::Int32),
            field<&R::clientId>("L:ClientID", FieldType::Int32),
        };
        addKey(l, "L:KeySchedule", {"L:ID", "L:ClientID"}, kKeyUnique | kKeyPrimary);
        addKey(l, "L:KeyClient", {"L:ClientID", "L:ID"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
