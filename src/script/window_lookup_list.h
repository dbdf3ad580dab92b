#pragma once

#include <string_view>

#include "shell/list_controller.h"

namespace cm {

// BrowseWindowLookup, the list of window titles the monitor has recorded: its columns, its two
// orders, its buttons and where it keeps its placement.
struct WindowLookupList {
    static constexpr std::string_view kProcedure = "BrowseWindowLookup";
    static constexpr std::string_view kCaption = "Browse the Window Lookup File";
    static constexpr std::string_view kIcon = "WINPYR.ICO";
    // The date column's picture is replaced by the "DateFormat" setting's as the list opens.
    static constexpr std::string_view kFormat =
        "175L(2)|M~Title~@s70@45R(2)|M~Date~C(0)@d3@80R(2)|M~Time~C(0)@t3@";
    static constexpr std::string_view kTitleTab = "Title";
    static constexpr std::string_view kDateTab = "By Date";
    static constexpr std::string_view kTitleKey = "WL:KeyTitle";
    static constexpr std::string_view kDateKey = "WL:KeyDate";

    // The buttons in the order they are declared (ListDesign::buttons).
    enum Button : int { kAdd, kEdit, kDelete, kClose };
    // The Other button's own number: Cl&ose.
    static constexpr int kCloseId = 1;

    static ListDesign design(std::string_view datePicture);
};

}  // namespace cm
