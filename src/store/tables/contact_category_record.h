#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A name for grouping contacts.
struct ContactCategoryRecord {
    std::string contactCategory;

    friend bool operator==(const ContactCategoryRecord&, const ContactCategoryRecord&) = default;
};

const Layout& contactCategoriesLayout();

}  // namespace cm
