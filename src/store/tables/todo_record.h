#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// An item of the to-do list. Items have no identifier and no key is unique: equal items are all kept.
struct TodoRecord {
    std::uint8_t done = 0;
    std::uint8_t priority = 0;
    std::string category;
    std::string toDo;
    std::int32_t completionDate = 0;
    std::int32_t completionTime = 0;
    std::string networkUser;
    std::int32_t lastChangeDate = 0;
    std::int32_t lastChangeTime = 0;
    std::int32_t originalId = 0;
    std::string notes;
    std::string resolution;

    friend bool operator==(const TodoRecord&, const TodoRecord&) = default;
};

const Layout& todoLayout();
// The same records in a synchronization file.
const Layout& syncTodoLayout();

}  // namespace cm
