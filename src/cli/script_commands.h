#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "store/tables/scripting_record.h"

namespace cm {

// The script commands of the terminal program: "script add ID ACTION FIELD=VALUE..." appends a
// step to a task's script, numbered after its last one; "script list ID" prints the steps as
// "sequence<TAB>action<TAB>details". args are the words after "script". Returns the exit
// status: 0, or 2 after a failure reported as one line on stderr, with nothing written.
int runScriptCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder);
void printScriptUsage(std::FILE* out);

// The details text the script list shows for a step, at most kDetailsWidth characters.
inline constexpr std::size_t kDetailsWidth = 80;
std::string scriptDetails(const ScriptingRecord& step);

}  // namespace cm
