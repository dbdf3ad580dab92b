#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/data_folder.h"
#include "cli/config_command.h"
#include "cli/holiday_commands.h"
#include "cli/run_command.h"
#include "cli/script_commands.h"
#include "cli/task_commands.h"
#include "shell/version.h"

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: chronomate-cli [--data-dir DIR] COMMAND\n"
                 "commands:\n"
                 "  version      print the program version\n"
                 "  data-dir     print the data folder in use\n");
    cm::printTaskUsage(out);
    cm::printHolidayUsage(out);
    cm::printConfigUsage(out);
    cm::printScriptUsage(out);
    cm::printRunUsage(out);
}

}  // namespace

int main(int argc, char** argv) {
    const auto dataDirArg = cm::DataFolder::takeDataDirArgument(argc, argv);
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "help") {
        printUsage(stdout);
        return 0;
    }
    if (command == "version") {
        std::printf("%s\n", cm::Version::kFullTitle);
        return 0;
    }
    const cm::DataFolderResult folder = cm::DataFolder::resolve(dataDirArg);
    if (!folder.error.empty()) {
        std::fprintf(stderr, "chronomate-cli: %s\n", folder.error.c_str());
        return 2;
    }
    if (command == "data-dir") {
        std::printf("%s\n", folder.path.c_str());
        return 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (cm::isTaskCommand(command)) return cm::runTaskCommand(command, args, folder.path);
    if (command == "holiday") return cm::runHolidayCommand(args, folder.path);
    if (command == "config") return cm::runConfigCommand(args, folder.path);
    if (command == "script") return cm::runScriptCommand(args, folder.path);
    if (command == "run") return cm::runMonitorCommand(args, folder.path);
    std::fprintf(stderr, "chronomate-cli: unknown command \"%s\"\n", command.c_str());
    printUsage(stderr);
    return 2;
}
