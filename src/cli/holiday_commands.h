#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace cm {

// "holiday add DATE NAME [--annual]" and "holiday list". args are the words after "holiday".
// Returns the exit status: 0, or 2 after a failure reported as one line on stderr.
int runHolidayCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder);

void printHolidayUsage(std::FILE* out);

}  // namespace cm
