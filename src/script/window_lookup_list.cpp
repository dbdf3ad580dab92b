#include "script/window_lookup_list.h"

#include <string>

namespace cm {

ListDesign WindowLookupList::design(std::string_view datePicture) {
    ListDesign d;
    d.format = ListFormat::withDatePicture(kFormat, datePicture);
    d.fields = {"WL:Title", "WL:Date", "WL:Time"};
    d.tabs = {
        ListTab{std::string(kTitleTab), std::string(kTitleKey), {}, {}},
        ListTab{std::string(kDateTab), std::string(kDateKey), {}, {}},
    };
    d.buttons = {
        ListButton{"&Add", ListAction::Insert, 0, false, true, false},
        ListButton{"&Edit", ListAction::Change, 0, true, true, false},
        ListButton{"&Delete", ListAction::Delete, 0, true, true, false},
        ListButton{"Cl&ose", ListAction::Other, kCloseId, false, false, false},
    };
    d.charset = ThumbCharset::Capitals;
    return d;
}

}  // namespace cm
