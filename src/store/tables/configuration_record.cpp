#include "store/tables/configuration_record.h"

namespace cm {

const Layout& configurationLayout() {
    static const Layout layout = [] {
        using R = ConfigurationRecord;
        Layout l;
        l.table = "Configuration";
        l.prefix = "CF";
        l.version = 1;
        l.fields = {
            field<&R::dataType>("CF:DataType", FieldType::Text, 40),
            field<&R::dataValue>("CF:DataValue", FieldType::Text, 80),
        };
        addKey(l, "CF:KeyDataType", {"CF:DataType"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
