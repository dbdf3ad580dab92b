#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A clip of the clipboard history.
struct ClipboardRecord {
    std::string user;
    std::int32_t clipDate = 0;
    std::int32_t clipTime = 0;
    std::string clipHashKey;
    std::uint8_t clipKeep = 0;
    std::string clipContents;

    friend bool operator==(const ClipboardRecord&, const ClipboardRecord&) = default;
};

const Layout& clipboardLayout();

}  // namespace cm
