#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A named setting, its value kept as text.
struct ConfigurationRecord {
    std::string dataType;
    std::string dataValue;

    friend bool operator==(const ConfigurationRecord&, const ConfigurationRecord&) = default;
};

const Layout& configurationLayout();

}  // namespace cm
