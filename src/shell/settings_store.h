#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/store_error.h"
#include "store/table_handle.h"
#include "store/tables/configuration_record.h"

namespace cm {

class Runtime;
struct Settings;

// The user's login name, or nothing when the system cannot tell.
using LoginNameLookup = std::function<std::optional<std::string>()>;
std::optional<std::string> systemLoginName();

// Settings text read as a number: leading blanks, an optional sign and the digits that follow;
// anything else, a blank value included, reads as 0.
std::int32_t settingNumber(std::string_view text);

// The files settings fall back on. Empty members mean the defaults at the time of the call: the
// store's data folder and the system INI file of the environment.
struct SettingsFiles {
    std::filesystem::path dataFolder;
    std::filesystem::path systemIni;
};

// The named settings of the Configuration table, with the program INI file as the fall-back of
// older installations. The table handle must be open; store errors are shown through the
// runtime and otherwise ignored, so a failing setting reads as blank.
class SettingsStore {
public:
    static constexpr std::string_view kProgramIni = "cm98.INI";
    static constexpr std::string_view kSettingsSection = "Settings";
    static constexpr std::string_view kMonitorSection = "Chronomate";
    static constexpr std::size_t kValueWidth = 80;
    static constexpr std::size_t kNameWidth = 40;
    static constexpr std::size_t kUserIdWidth = 30;
    static constexpr std::size_t kRecordUserWidth = 40;
    static constexpr std::int32_t kMinScriptingDelay = 50;
    static constexpr std::int32_t kDefaultBurstSize = 7;
    static constexpr std::int32_t kDefaultMaxWindows = 100;
    static constexpr std::string_view kDefaultDateFormat = "d3";
    static constexpr std::string_view kDefaultMaxClipboardEntries = "50";

    static constexpr std::string_view kErrorTitle = "Error!";
    static constexpr std::string_view kReadErrorText = "Error retrieving configuration information code ";
    static constexpr std::string_view kWriteErrorText = "Error writing configuration information.  Code ";

    SettingsStore(Table<ConfigurationRecord>& configuration, Runtime& runtime, SettingsFiles files = {});

    // GetSetting: the table's value; when the table has none, the value in [Settings] of iniFile
    // (an empty name is the system INI file) or def, which is added to the table when not blank.
    std::string getSetting(std::string_view name, std::string_view def = {},
                           const std::filesystem::path& iniFile = std::filesystem::path(kProgramIni));
    // PutSetting: adds or replaces the value. False after a store error, which was shown.
    bool putSetting(std::string_view name, std::string_view value);
    bool putSetting(std::string_view name, std::int64_t value);
    // Writes the settings in order in one transaction. Errors are shown once it has ended, never
    // while it is open; when the commit fails every setting is written again on its own.
    bool putSettings(const std::vector<std::pair<std::string, std::string>>& values);

    // LoadSettings, plus the values kept outside the table: "Debug" of the program INI file and
    // the window monitoring settings of the system INI file.
    void loadSettings(Settings& settings);
    // The program's version, written at every start.
    bool storeVersion();

    // The error of the last failed call; cleared by every call that succeeds.
    const StoreError& lastError() const { return m_lastError; }

    void setLoginNameLookup(LoginNameLookup lookup) { m_loginName = std::move(lookup); }
    std::filesystem::path dataFolder() const;
    std::filesystem::path systemIni() const;
    std::filesystem::path iniPath(const std::filesystem::path& iniFile) const;

private:
    int lookUp(std::string_view name);
    bool write(std::string_view name, std::string_view value, bool showError);
    void showReadError(std::string_view name, const StoreError& error);
    void showWriteError(std::string_view name, const StoreError& error);
    std::int32_t number(std::string_view name, std::string_view def = {});
    bool flag(std::string_view name) { return number(name) != 0; }

    Table<ConfigurationRecord>& m_table;
    Runtime& m_runtime;
    SettingsFiles m_files;
    LoginNameLookup m_loginName = systemLoginName;
    StoreError m_lastError;
};

}  // namespace cm
