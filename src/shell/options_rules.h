#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

class Runtime;
class SettingsStore;
struct Settings;

// A date picture the options window offers, under the description the user sees.
struct DateFormatChoice {
    std::string_view description;
    std::string_view picture;
};

class DateFormatChoices {
public:
    // The drop list's entries, in the window's order.
    static const std::vector<std::string_view>& dropList();
    // Every description the program knows with its picture name, the drop list's and others.
    static const std::vector<DateFormatChoice>& all();
    // The description of a picture name, or the picture itself when it has none.
    static std::string describe(std::string_view picture);
    // The picture name of a description, or the text itself when it is no description.
    static std::string pictureOf(std::string_view description);
};

// The options window without its widgets. The check boxes and fields edit the process-wide
// settings directly, so a change takes effect at once; ok() makes the changes permanent and
// cancel() undoes them by reloading. The two fields of the Scripting tab are the exception:
// they take effect only on ok().
class OptionsController {
public:
    static constexpr std::string_view kCaption = "Chronomate Setup (Preferences)";
    static constexpr std::int32_t kMinSendInterval = 50;
    static constexpr std::int32_t kMaxSendInterval = 250;
    static constexpr std::int32_t kMinBurstSize = 1;
    static constexpr std::int32_t kMaxBurstSize = 10;
    // A repeat below this many seconds would ring on top of itself.
    static constexpr std::int32_t kMinRepeatAlarmInterval = 5;
    static constexpr std::string_view kDateFormatChangedTitle = "Information";
    static constexpr std::string_view kDateFormatChangedText =
        "Date format changes will not affect currently open windows.  You can close and re-open windows, or exit "
        "and restart Chronomate to view information using the new date format.";

    // settings are the process-wide values; store's table must be open while the window is.
    OptionsController(Settings& settings, SettingsStore& store, Runtime& runtime);

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

    std::int32_t sendInterval() const { return m_sendInterval; }
    void setSendInterval(std::int32_t hundredths);  // kept within the spin field's range
    std::int32_t burstSize() const { return m_burstSize; }
    void setBurstSize(std::int32_t characters);  // kept within the spin field's range

    // The drop list shows this text: a description, or a picture name that has none.
    const std::string& dateFormat() const { return m_dateFormat; }
    void selectDateFormat(std::string_view description);

    // "&OK": stores the settings, the repeat interval and the Scripting tab in one batch, tells
    // the user when the date format changed and stores it. False when a value failed to store
    // (its message was shown). The window closes either way.
    bool ok();
    // "Cancel": reloads every setting from the store.
    void cancel();

    // The repeat interval as it is stored: 1 to 4 seconds become the shortest repeat.
    static std::int32_t storedRepeatInterval(std::int32_t seconds);

private:
    Settings& m_settings;
    SettingsStore& m_store;
    Runtime& m_runtime;
    std::int32_t m_sendInterval;
    std::int32_t m_burstSize;
    std::string m_openedDateFormat;
    std::string m_dateFormat;
};

}  // namespace cm
