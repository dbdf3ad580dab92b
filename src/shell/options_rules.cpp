#include "shell/options_rules.h"

#include <algorithm>
#include <utility>

#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/settings_store.h"

namespace cm {

const std::vector<std::string_view>& DateFormatChoices::dropList() {
    static const std::vector<std::string_view> list = {
        "Windows Default", "October 31, 1959", "OCT 31,1959", "10/31/59",    "10/31/1959",
        "31 OCT 59",       "31 OCT 1959",      "31/10/59",    "31/10/1959", "Windows Default 2",
    };
    return list;
}

const std::vector<DateFormatChoice>& DateFormatChoices::all() {
    static const std::vector<DateFormatChoice> table = {
        {"October 31, 1959", "d4"}, {"OCT 31,1959", "d3"},      {"10/31/59", "d1"},      {"10/31/1959", "d2"},
        {"31 OCT 59", "d7"},        {"31 OCT 1959", "d8"},      {"31/10/59", "d5"},      {"31/10/1959", "d6"},
        {"59/10", "d15"},           {"1959/10", "d16"},         {"10/59", "d13"},        {"10/1959", "d14"},
        {"Windows Default", "d17"}, {"Windows Default 2", "d18"}, {"Year Only", "n4b"},
    };
    return table;
}

std::string DateFormatChoices::describe(std::string_view picture) {
    for (const DateFormatChoice& c : all())
        if (c.picture == picture) return std::string(c.description);
    return std::string(picture);
}

std::string DateFormatChoices::pictureOf(std::string_view description) {
    for (const DateFormatChoice& c : all())
        if (c.description == description) return std::string(c.picture);
    return std::string(description);
}

OptionsController::OptionsController(Settings& settings, SettingsStore& store, Runtime& runtime)
    : m_settings(settings),
      m_store(store),
      m_runtime(runtime),
      m_sendInterval(std::clamp(settings.scriptingDelay, kMinSendInterval, kMaxSendInterval)),
      m_burstSize(std::clamp(settings.burstSize, kMinBurstSize, kMaxBurstSize)),
      m_openedDateFormat(DateFormatChoices::describe(settings.dateFormat)),
      m_dateFormat(m_openedDateFormat) {}

void OptionsController::setSendInterval(std::int32_t hundredths) {
    m_sendInterval = std::clamp(hundredths, kMinSendInterval, kMaxSendInterval);
}

void OptionsController::setBurstSize(std::int32_t characters) {
    m_burstSize = std::clamp(characters, kMinBurstSize, kMaxBurstSize);
}

void OptionsController::selectDateFormat(std::string_view description) { m_dateFormat = std::string(description); }

std::int32_t OptionsController::storedRepeatInterval(std::int32_t seconds) {
    return seconds > 0 && seconds < kMinRepeatAlarmInterval ? kMinRepeatAlarmInterval : seconds;
}

namespace {

std::string flagText(bool on) { return on ? "1" : "0"; }

}  // namespace

bool OptionsController::ok() {
    Settings& s = m_settings;
    s.repeatAlarmInterval = storedRepeatInterval(s.repeatAlarmInterval);
    const std::vector<std::pair<std::string, std::string>> batch = {
        {"HistoryExpires", std::to_string(s.historyExpires)},
        {"RemoveUncompleted", flagText(s.removeUncompleted)},
        {"StartUpSchedule", flagText(!s.startUpSchedule)},
        {"StartUpToDo", flagText(s.startUpToDo)},
        {"StartUpClipboardSaver", flagText(s.startUpClipboardSaver)},
        {"StartUpContacts", flagText(s.startUpContacts)},
        {"StartUpActive", flagText(!s.startUpActive)},
        {"StartUpMinimized", flagText(s.startUpMinimized)},
        {"FullSchedule", flagText(s.fullSchedule)},
        {"HideToolbar", flagText(s.hideToolbar)},
        {"NoTray", flagText(s.noTray)},
        {"MaximizeOnRun", flagText(s.maximizeOnRun)},
        {"UseExternalMessage", flagText(s.useExternalMessage)},
        {"MultiUser", flagText(s.multiUser)},
        {"UserID", s.userId},
        {"LogEvents", flagText(s.logEvents)},
        {"MonitorClipboard", flagText(s.monitorClipboard)},
        {"UseModalMessage", flagText(s.useModalMessage)},
        {"MaxClipboardEntries", std::to_string(s.maxClipboardEntries)},
        {"RepeatAlarmInterval", std::to_string(s.repeatAlarmInterval)},
        {"ScriptingDelay", std::to_string(m_sendInterval)},
        {"BurstSize", std::to_string(m_burstSize)},
    };
    bool stored = m_store.putSettings(batch);
    s.scriptingDelay = std::max(SettingsStore::kMinScriptingDelay, m_sendInterval);
    s.burstSize = m_burstSize == 0 ? SettingsStore::kDefaultBurstSize : m_burstSize;

    if (m_dateFormat != m_openedDateFormat) {
        MessageBoxRequest box;
        box.text = std::string(kDateFormatChangedText);
        box.title = std::string(kDateFormatChangedTitle);
        box.buttons = kButtonOk;
        m_runtime.messageBox(box);
    }
    s.dateFormat = DateFormatChoices::pictureOf(m_dateFormat);
    stored = m_store.putSetting("DateFormat", std::string_view(s.dateFormat)) && stored;
    m_openedDateFormat = m_dateFormat;
    return stored;
}

void OptionsController::cancel() { m_store.loadSettings(m_settings); }

}  // namespace cm
