#include "store/tables/clipboard_record.h"

namespace cm {

const Layout& clipboardLayout() {
    static const Layout layout = [] {
        using R = ClipboardRecord;
        Layout l;
        l.table = "Clipboard";
        l.prefix = "CLI";
        l.version = 3;
        l.fields = {
            field<&R::user>("CLI:User", FieldType::Text, 40),
            field<&R::clipDate>("CLI:ClipDate", FieldType::Date),
            field<&R::clipTime>("CLI:ClipTime", FieldType::Time),
            field<&R::clipHashKey>("CLI:ClipHashKey", FieldType::Text, 40),
            field<&R::clipKeep>("CLI:ClipKeep", FieldType::Flag),
            field<&R::clipContents>("CLI:ClipContents", FieldType::Memo, 4096),
        };
        addKey(l, "CLI:KeyClipDate", {"CLI:User", "CLI:ClipKeep", "CLI:ClipDate", "CLI:ClipTime"}, kKeyIncludesBlank);
        addKey(l, "CLI:KeyClipHash", {"CLI:User", "CLI:ClipHashKey"}, kKeyUnique);
        return l;
    }();
    return layout;
}

}  // namespace cm
