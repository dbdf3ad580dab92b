#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A category name offered for tasks and to-do items.
struct CategoryRecord {
    std::string category;

    friend bool operator==(const CategoryRecord&, const CategoryRecord&) = default;
};

const Layout& categoriesLayout();

}  // namespace cm
