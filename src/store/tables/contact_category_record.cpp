#include "store/tables/contact_category_record.h"

namespace cm {

const Layout& contactCategoriesLayout() {
    static const Layout layout = [] {
        using R = ContactCategoryRecord;
        Layout l;
        l.table = "ContactCategories";
        l.prefix = "CC";
        l.version = 2;
        l.fields = {
            field<&R::contactCategory>("CC:ContactCategory", FieldType::Text, 20),
        };
        addKey(l, "CC:KeyContactCategories", {"CC:ContactCategory"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
