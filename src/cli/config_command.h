#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace cm {

// "config get NAME" prints a setting, found in the store or the program INI file's fall-back;
// "config set NAME VALUE" stores one. args are the words after "config". Returns the exit
// status: 0, or 2 after a failure, reported on stderr.
int runConfigCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder);

void printConfigUsage(std::FILE* out);

}  // namespace cm
