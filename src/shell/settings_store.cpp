#include "shell/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "base/ascii.h"
#include "base/fixed_text.h"
#include "base/ini_file.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/version.h"
#include "store/table_name.h"

namespace cm {

namespace fs = std::filesystem;

std::optional<std::string> systemLoginName() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0) size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name)
        return std::string(found->pw_name);
    // No password entry (a container's bare uid): the session's login name is the next best.
    char name[256] = {};
    if (getlogin_r(name, sizeof name) == 0 && name[0] != '\0') return std::string(name);
    return std::nullopt;
}

std::int32_t settingNumber(std::string_view text) {
    text = ascii::trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (!ascii::isDigit(c)) break;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::numeric_limits<std::int32_t>::max());
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

SettingsStore::SettingsStore(Table<ConfigurationRecord>& configuration, Runtime& runtime, SettingsFiles files)
    : m_table(configuration), m_runtime(runtime), m_files(std::move(files)) {}

fs::path SettingsStore::dataFolder() const {
    return m_files.dataFolder.empty() ? StoreFiles::dataFolder() : m_files.dataFolder;
}

fs::path SettingsStore::systemIni() const {
    return m_files.systemIni.empty() ? IniFile::systemIniPath() : m_files.systemIni;
}

fs::path SettingsStore::iniPath(const fs::path& iniFile) const {
    return iniFile.empty() ? systemIni() : resolveIniPath(iniFile, dataFolder());
}

int SettingsStore::lookUp(std::string_view name) {
    m_table.clear();
    m_table.record().dataType = FixedText::stored(name, kNameWidth);
    return m_table.get(m_table.keyIndex("CF:KeyDataType"));
}

namespace {

// The error as the settings messages name it: the store's text, or the system's for a file error.
std::string errorText(const StoreError& error) {
    return error.text.empty() ? error.osMessage : error.text;
}

MessageBoxRequest errorBox(std::string text) {
    MessageBoxRequest box;
    box.text = std::move(text);
    box.title = std::string(SettingsStore::kErrorTitle);
    box.buttons = kButtonOk;
    return box;
}

}  // namespace

void SettingsStore::showReadError(std::string_view name, const StoreError& error) {
    m_lastError = error;
    m_runtime.messageBox(errorBox(std::string(kReadErrorText) + std::string(name) + " - " + errorText(error)));
}

void SettingsStore::showWriteError(std::string_view name, const StoreError& error) {
    m_lastError = error;
    m_runtime.messageBox(errorBox(std::string(kWriteErrorText) + std::string(name) + " - " + errorText(error)));
}

std::string SettingsStore::getSetting(std::string_view name, std::string_view def, const fs::path& iniFile) {
    m_lastError.clear();
    const int code = lookUp(name);
    if (code == StoreCode::kOk) return FixedText::cut(m_table.record().dataValue, kValueWidth);
    if (code != StoreCode::kNotFound) {
        showReadError(name, m_table.lastError());
        return {};
    }
    std::string value = FixedText::cut(IniFile(iniPath(iniFile)).read(kSettingsSection, name, def), kValueWidth);
    if (!ascii::trim(value).empty()) {
        m_table.clear();
        m_table.record().dataType = FixedText::stored(name, kNameWidth);
        m_table.record().dataValue = value;
        // The value was found, so it is still returned when the copy into the table fails.
        if (m_table.add() != StoreCode::kOk) showReadError(name, m_table.lastError());
    }
    return value;
}

bool SettingsStore::write(std::string_view name, std::string_view value, bool showError) {
    int code = lookUp(name);
    if (code == StoreCode::kNotFound) {
        m_table.clear();
        m_table.record().dataType = FixedText::stored(name, kNameWidth);
        m_table.record().dataValue = FixedText::stored(value, kValueWidth);
        code = m_table.add();
    } else if (code == StoreCode::kOk) {
        m_table.record().dataValue = FixedText::stored(value, kValueWidth);
        code = m_table.put();
    }
    if (code == StoreCode::kOk) return true;
    if (showError)
        showWriteError(name, m_table.lastError());
    else
        m_lastError = m_table.lastError();
    return false;
}

bool SettingsStore::putSetting(std::string_view name, std::string_view value) {
    m_lastError.clear();
    return write(name, value, true);
}

bool SettingsStore::putSetting(std::string_view name, std::int64_t value) {
    return putSetting(name, std::string_view(std::to_string(value)));
}

bool SettingsStore::putSettings(const std::vector<std::pair<std::string, std::string>>& values) {
    m_lastError.clear();
    std::vector<std::pair<std::string, StoreError>> failures;
    const bool batch = m_table.stream() == StoreCode::kOk;
    for (const auto& [name, value] : values)
        if (!write(name, value, false)) failures.emplace_back(name, m_lastError);
    if (batch && m_table.flush() != StoreCode::kOk) {
        // The whole batch was rolled back: write each setting on its own, so that what can be
        // stored is, and each failure names its setting.
        m_lastError.clear();
        bool ok = true;
        for (const auto& [name, value] : values) ok = write(name, value, true) && ok;
        return ok;
    }
    for (const auto& [name, error] : failures) showWriteError(name, error);
    return failures.empty();
}

bool SettingsStore::storeVersion() {
    return putSetting("Version", std::string_view(Version::kVersion));
}

std::int32_t SettingsStore::number(std::string_view name, std::string_view def) {
    return settingNumber(getSetting(name, def));
}

void SettingsStore::loadSettings(Settings& s) {
    s.historyExpires = number("HistoryExpires");
    s.removeUncompleted = flag("RemoveUncompleted");
    s.startUpSchedule = number("StartUpSchedule") == 0;
    s.startUpToDo = flag("StartUpToDo");
    s.startUpClipboardSaver = flag("StartUpClipboardSaver");
    s.startUpContacts = flag("StartUpContacts");
    s.startUpActive = number("StartUpActive") == 0;
    s.startUpMinimized = flag("StartUpMinimized");
    s.fullSchedule = flag("FullSchedule");
    s.hideToolbar = flag("HideToolbar");
    s.noTray = flag("NoTray");
    s.multiUser = flag("MultiUser");
    s.monitorClipboard = flag("MonitorClipboard");
    s.useExternalMessage = flag("UseExternalMessage");
    s.useModalMessage = flag("UseModalMessage");
    s.repeatAlarmInterval = number("RepeatAlarmInterval");
    s.logEvents = flag("LogEvents");
    s.userId = FixedText::stored(getSetting("UserID"), kUserIdWidth);
    s.maximizeOnRun = flag("MaximizeOnRun");
    // Read for its copy into the table only: the debug switch is the program INI file's own.
    getSetting("Debug");
    s.scriptingDelay = std::max(kMinScriptingDelay, number("ScriptingDelay"));
    const std::int32_t burst = number("BurstSize");
    s.burstSize = burst == 0 ? kDefaultBurstSize : burst;
    s.dateFormat = FixedText::stored(getSetting("DateFormat", kDefaultDateFormat, fs::path()), 6);
    if (s.dateFormat.empty()) s.dateFormat = kDefaultDateFormat;
    s.useWinMessage = flag("UseWinMessage");
    s.maxClipboardEntries = number("MaxClipboardEntries", kDefaultMaxClipboardEntries);

    s.recordUser.clear();
    if (s.multiUser) {
        if (s.userId.empty()) {
            const std::optional<std::string> login = m_loginName ? m_loginName() : std::nullopt;
            if (login && !ascii::trim(*login).empty()) {
                s.userId = FixedText::stored(*login, kUserIdWidth);
                putSetting("UserID", std::string_view(s.userId));
            }
        }
        s.recordUser = FixedText::stored(s.userId, kRecordUserWidth);
    }

    s.debug = settingNumber(IniFile(iniPath(fs::path(kProgramIni))).read(kSettingsSection, "Debug"));
    const IniFile system(systemIni());
    s.monitorWindows = settingNumber(system.read(kMonitorSection, "Monitor Windows")) != 0;
    const std::int32_t maxWindows = settingNumber(system.read(kMonitorSection, "MaxWindows"));
    s.maxWindows = maxWindows > 0 ? maxWindows : kDefaultMaxWindows;
}

}  // namespace cm
