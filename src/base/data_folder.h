#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cm {

// Looks up an environment variable; tests inject their own environment.
using EnvLookup = std::function<std::optional<std::string>(const char*)>;

std::optional<std::string> processEnvironment(const char* name);

struct DataFolderResult {
    std::filesystem::path path;  // absolute and canonical when error is empty
    std::string error;

    bool ok() const { return error.empty(); }
};

// The folder that holds the store, the INI files, the event log and the monitor's lock.
class DataFolder {
public:
    static constexpr std::string_view kDataDirOption = "--data-dir";
    static constexpr std::string_view kHomeVariable = "CHRONOMATE_HOME";
    static constexpr std::string_view kFolderName = "chronomate";

    // --data-dir, else $CHRONOMATE_HOME, else $XDG_DATA_HOME/chronomate, else
    // $HOME/.local/share/chronomate. Empty variables count as unset and a relative
    // $XDG_DATA_HOME is ignored, as the XDG rules ask. The folder is created when missing.
    static DataFolderResult resolve(std::optional<std::string> dataDirArg, const EnvLookup& env = processEnvironment);

    static bool makeCurrent(const std::filesystem::path& folder, std::string* error = nullptr);

    // Removes every "--data-dir DIR" and "--data-dir=DIR" before a "--" from argv and
    // returns the last value. A trailing "--data-dir" without a value gives "", which
    // resolve() reports as an error.
    static std::optional<std::string> takeDataDirArgument(int& argc, char** argv);

    // The entry of folder whose name equals name without regard to ASCII case
    // (an exact match wins), or folder/name when there is none.
    static std::filesystem::path findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

    // $HOME, else the home folder of the password database.
    static std::optional<std::filesystem::path> homeFolder(const EnvLookup& env = processEnvironment);
};

}  // namespace cm
