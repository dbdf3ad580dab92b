#include "store/tables/category_record.h"

namespace cm {

const Layout& categoriesLayout() {
    static const Layout layout = [] {
        using R = CategoryRecord;
        Layout l;
        l.table = "Categories";
        l.prefix = "CAT";
        l.version = 2;
        l.fields = {
            field<&R::category>("CAT:Category", FieldType::Text, 20),
        };
        addKey(l, "CAT:KeyCategory", {"CAT:Category"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
