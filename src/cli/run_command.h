#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace cm {

// "run [--seconds S] [--yes]": the due-task monitor without windows, on the real timers,
// programs, keyboard, window system and D-Bus. Messages, advance warnings and every other box
// are printed to stdout one line each, and sent as desktop notifications where a session bus
// serves them; questions take their default button, or Yes with --yes. It holds the data
// folder's monitor lock, and ends through the normal shutdown on SIGINT, SIGTERM or after S
// seconds. Returns the exit status: 0, or 2 when it could not start.
int runMonitorCommand(const std::vector<std::string>& args, const std::filesystem::path& dataFolder);
void printRunUsage(std::FILE* out);

}  // namespace cm
