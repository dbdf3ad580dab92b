#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

class Runtime;
class TableHandle;

// The task commands of the terminal program: "add FIELD=VALUE...", "list", "show ID",
// "delete ID" and "occurrences ID [-n N]". args are the words after the command. Returns the
// exit status: 0, or 2 after a failure reported as one line on stderr, with nothing written.
bool isTaskCommand(std::string_view command);
int runTaskCommand(std::string_view command, const std::vector<std::string>& args,
                   const std::filesystem::path& dataFolder);
void printTaskUsage(std::FILE* out);

// What the terminal commands share.
namespace cli {

// Prints "chronomate-cli: message" on stderr; gives the failure status.
int fail(const std::string& message);

// yyyy-mm-dd; blank gives no date. nullopt for anything else or an impossible date.
std::optional<std::int32_t> parseIsoDate(std::string_view text);
// yyyy-mm-dd, or nothing for no date.
std::string isoDate(std::int32_t date);

// Points the store at the data folder and checks that an existing store file can be read, so
// a damaged one is reported in one line before any table opens; false after that report.
bool prepareStore(const std::filesystem::path& dataFolder);
// Opens a table of the store, creating it when missing; false after a one-line report.
bool openTable(TableHandle& table, Runtime& runtime);

}  // namespace cli

}  // namespace cm
