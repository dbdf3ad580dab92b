#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// One contact belonging to one task.
struct LinkRecord {
    std::int32_t id = 0;
    std::int32_t clientId = 0;

    friend bool operator==(const LinkRecord&, const LinkRecord&) = default;
};

const Layout& linkLayout();

}  // namespace cm
