#pragma once

#include <cstdint>
#include <string>

namespace cm {

// The program's settings as loaded at start-up: every part of the program reads these values,
// not the Configuration table. Defaults are the values used when neither the table nor the
// INI fall-back has the setting.
struct Settings {
    std::int32_t historyExpires = 0;      // "HistoryExpires", days; 0 = never
    bool removeUncompleted = false;       // "RemoveUncompleted"
    bool startUpSchedule = true;          // "StartUpSchedule", stored inverted
    bool startUpToDo = false;             // "StartUpToDo"
    bool startUpClipboardSaver = false;   // "StartUpClipboardSaver"
    bool startUpContacts = false;         // "StartUpContacts"
    bool startUpActive = true;            // "StartUpActive", stored inverted: the scheduler runs
    bool startUpMinimized = false;        // "StartUpMinimized"
    bool fullSchedule = false;            // "FullSchedule"
    bool hideToolbar = false;             // "HideToolbar"
    bool noTray = false;                  // "NoTray"
    bool multiUser = false;               // "MultiUser"
    bool monitorClipboard = false;        // "MonitorClipboard"
    bool useExternalMessage = false;      // "UseExternalMessage"
    bool useModalMessage = false;         // "UseModalMessage"
    std::int32_t repeatAlarmInterval = 0; // "RepeatAlarmInterval", seconds; 0 = no repeat
    bool logEvents = false;               // "LogEvents"
    std::string userId;                   // "UserID", text(30)
    bool maximizeOnRun = false;           // "MaximizeOnRun"
    std::int32_t scriptingDelay = 50;     // "ScriptingDelay", hundredths; at least 50
    std::int32_t burstSize = 7;           // "BurstSize"; 0 counts as 7
    std::string dateFormat = "d3";        // "DateFormat", a date picture name
    bool useWinMessage = false;           // "UseWinMessage"
    std::int32_t maxClipboardEntries = 50;// "MaxClipboardEntries"

    // Derived and outside the Configuration table.
    std::string recordUser;               // 40 characters: "UserID" when "MultiUser" is on, else blank
    std::int32_t debug = 0;               // "Debug" in "cm98.INI" [Settings]: script debug messages
    bool monitorWindows = false;          // system INI [Chronomate] "Monitor Windows"
    std::int32_t maxWindows = 100;        // system INI [Chronomate] "MaxWindows"; absent or 0 = 100
};

}  // namespace cm
