#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A window title the program has seen, with the moment it was first recorded.
struct WindowLookupRecord {
    std::string title;
    std::int32_t date = 0;
    std::int32_t time = 0;

    friend bool operator==(const WindowLookupRecord&, const WindowLookupRecord&) = default;
};

const Layout& windowLookupLayout();

}  // namespace cm
