#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// One step of a task's script: the rows with the task's ID, in ascending sequence.
struct ScriptingRecord {
    std::int32_t id = 0;
    std::int32_t sequence = 0;
    std::string action;
    std::string keyStrokes;
    std::int32_t secondsToWait = 0;
    std::string waitForWindow;
    std::string focusOnWindow;
    std::string windowExistance;
    std::string windowTitleToCheckFor;
    std::string ifTimeElapsed;
    std::int32_t timeElapsed = 0;
    std::string ddeType;
    std::string ddeApplicationName;
    std::string ddeApplicationTopic;
    std::string ddeLinkItem;
    std::string ddeCommand;
    std::string command;
    std::string path;
    std::int32_t nextTaskId = 0;
    std::string networkUser;
    std::int32_t lastChangeDate = 0;
    std::int32_t lastChangeTime = 0;
    std::int32_t originalId = 0;

    friend bool operator==(const ScriptingRecord&, const ScriptingRecord&) = default;
};

const Layout& scriptingLayout();
// The same records in a synchronization file.
const Layout& syncScriptingLayout();

}  // namespace cm
