#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/table_handle.h"
#include "store/tables/clipboard_record.h"
#include "store/tables/configuration_record.h"
#include "store/tables/schedule_record.h"
#include "store/tables/scripting_record.h"
#include "store/tables/window_lookup_record.h"

namespace cm {

class Clock;
class EventLog;
class Runtime;
class TableUse;
struct Settings;

// What the start-up sequence asks of the frame window around it. The desktop shell implements
// it on the real window; tests record the calls.
class FrameHost {
public:
    virtual ~FrameHost() = default;
    // Section "Main" of POSITION.INI.
    virtual void restorePlacement() = 0;
    virtual void savePlacement() = 0;
    // Minimized at start: the frame iconizes, then goes to the tray unless "NoTray" is on.
    virtual void iconize() = 0;
    virtual void sendToTray() = 0;
};

// The windows the settings step asks to open beside the frame, in the order they open.
enum class StartUpWindow { Contacts, Clipboard, ToDo, Schedule };

// The program body and the frame's opening and closing, in their fixed order: tables, placement,
// status zones, then the settings step (title, version, settings, start-up windows, "Started"),
// and at the end the exit entry. The frame's five tables stay open from openFrame() to
// shutDown().
class StartUp {
public:
    static constexpr std::string_view kHelpFile = "CM.HLP";
    static constexpr std::string_view kStartedEvent = "Started";
    static constexpr std::string_view kExitEvent = "Exit Chronomate";
    static constexpr std::string_view kInitialTrayIcon = "tray_ico";
    static constexpr std::string_view kInitialTrayTip = "Double-click here to restore";
    static constexpr std::string_view kPlacementSection = "Main";
    static constexpr std::string_view kStatusDatePicture = "D3";
    static constexpr std::string_view kStatusTimePicture = "T3";
    // The frame's timer period, hundredths: what the first tick is armed with.
    static constexpr std::int32_t kMaxTimerPeriod = 100;

    StartUp(Runtime& runtime, const Clock& clock, Settings& settings, EventLog& log, FrameHost& frame,
            std::filesystem::path dataFolder);
    ~StartUp();
    StartUp(const StartUp&) = delete;
    StartUp& operator=(const StartUp&) = delete;

    // The program body before the frame: the table registrations, and the current folder
    // remembered as the start-up directory.
    void programBody();

    // Opens the frame's tables (Clipboard, Configuration, Schedule, Scripting, WindowLookup),
    // restores the placement and fills status zones 3 and 4. False when a table could not be
    // opened; the runtime has then been told to end the program.
    bool openFrame();

    // The settings step, once the window is open. Returns the start-up windows to open.
    std::vector<StartUpWindow> settingsStep();

    // The frame's closing routine. Runs once; later calls do nothing.
    void shutDown();

    // A period outside 1..100 hundredths becomes 100.
    static std::int32_t frameTimerPeriod(std::int32_t requested);
    static std::vector<StartUpWindow> startUpWindows(const Settings& settings);

    bool frameOpen() const { return m_opened; }
    bool shutDownDone() const { return m_shutDown; }
    const std::filesystem::path& startUpDirectory() const { return m_startUpDirectory; }
    std::int32_t startDate() const { return m_startDate; }
    const std::string& normalTrayIcon() const { return m_normalTrayIcon; }

    Table<ClipboardRecord>& clipboard() { return m_clipboard; }
    Table<ConfigurationRecord>& configuration() { return m_configuration; }
    Table<ScheduleRecord>& schedule() { return m_schedule; }
    Table<ScriptingRecord>& scripting() { return m_scripting; }
    Table<WindowLookupRecord>& windowLookup() { return m_windowLookup; }

private:
    Runtime& m_runtime;
    const Clock& m_clock;
    Settings& m_settings;
    EventLog& m_log;
    FrameHost& m_frame;
    std::filesystem::path m_dataFolder;

    Table<ClipboardRecord> m_clipboard;
    Table<ConfigurationRecord> m_configuration;
    Table<ScheduleRecord> m_schedule;
    Table<ScriptingRecord> m_scripting;
    Table<WindowLookupRecord> m_windowLookup;
    std::vector<std::unique_ptr<TableUse>> m_uses;

    std::filesystem::path m_startUpDirectory;
    std::int32_t m_startDate = 0;
    std::string m_normalTrayIcon;
    bool m_opened = false;
    bool m_shutDown = false;
};

}  // namespace cm
