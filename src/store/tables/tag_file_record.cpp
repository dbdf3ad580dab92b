#include "store/tables/tag_file_record.h"

namespace cm {

const Layout& tagFileLayout() {
    static const Layout layout = [] {
        using R = TagFileRecord;
        Layout l;
        l.table = "TagFile";
        l.prefix = "TF_";
        l.version = 1;
        l.fields = {
            field<&R::usr>("TF_:Usr", FieldType::Int32),
            field<&R::tbl>("TF_:Tbl", FieldType::Int16),
            field<&R::ptr>("TF_:Ptr", FieldType::Int32),
            field<&R::val>("TF_:Val", FieldType::Text, 10),
        };
        addKey(l, "TF_:PtrKey", {"TF_:Usr", "TF_:Tbl", "TF_:Ptr"}, kKeyUnique | kKeyPrimary | kKeyIncludesBlank);
        addKey(l, "TF_:ValKey", {"TF_:Usr", "TF_:Tbl", "TF_:Val"}, kKeyIncludesBlank);
        return l;
    }();
    return layout;
}

const Layout& tagFilePLayout() {
    static const Layout layout = [] {
        using R = TagFilePRecord;
        Layout l;
        l.table = "TagFileP";
        l.prefix = "TP_";
        l.version = 1;
        l.fields = {
            field<&R::usr>("TP_:Usr", FieldType::Int32),
            field<&R::tbl>("TP_:Tbl", FieldType::Int16),
            field<&R::pos>("TP_:Pos", FieldType::Text, 256),
            field<&R::val>("TP_:Val", FieldType::Text, 10),
        };
        addKey(l, "TP_:PosKey", {"TP_:Usr", "TP_:Tbl", "TP_:Pos"}, kKeyUnique | kKeyPrimary | kKeyIncludesBlank);
        addKey(l, "TP_:ValKey", {"TP_:Usr", "TP_:Tbl", "TP_:Val"}, kKeyIncludesBlank);
        return l;
    }();
    return layout;
}

}  // namespace cm
