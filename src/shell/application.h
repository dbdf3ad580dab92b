#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "engine/event_log.h"
#include "engine/holiday_calendar.h"
#include "engine/message_router.h"
#include "engine/monitor.h"
#include "engine/schedule_writer.h"
#include "engine/task_actions.h"
#include "engine/task_deleter.h"
#include "shell/settings.h"
#include "shell/start_up.h"
#include "store/tables/holiday_record.h"
#include "store/tables/link_record.h"

namespace cm {

class Clock;
class ProcessLauncher;
class Runtime;
class Sound;
class TableUse;
class Timers;

// The ports the program runs on: real ones in the desktop program, fakes in tests.
struct ApplicationPorts {
    Runtime& runtime;
    const Clock& clock;
    Timers& timers;
    Sound& sound;
    ProcessLauncher& launcher;
    MessageSink& messages;
    FrameHost& frame;
};

// The program without its windows: the start-up sequence, the frame's tables and the due-task
// monitor over them. start() runs everything up to the first tick; shutDown() the closing
// routine. The desktop program wraps it in the Qt frame, tests drive it with fakes.
class Application {
public:
    Application(const ApplicationPorts& ports, std::filesystem::path dataFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The program body, the frame's opening and the settings step, then the monitor's first
    // tick armed. Returns the start-up windows to open; empty with ok() false when the frame's
    // tables could not be opened.
    std::vector<StartUpWindow> start();
    bool ok() const { return m_ok; }
    void shutDown();

    Settings& settings() { return m_settings; }
    EventLog& log() { return m_log; }
    StartUp& startUp() { return m_startUp; }
    TaskActions& actions() { return m_actions; }
    MessageRouter& messages() { return m_messages; }
    // Built by start(); null before.
    Monitor* monitor() { return m_monitor.get(); }
    TaskDeleter* deleter() { return m_deleter.get(); }

private:
    ApplicationPorts m_ports;
    std::filesystem::path m_dataFolder;
    Settings m_settings;
    EventLog m_log;
    StartUp m_startUp;
    TaskActions m_actions;
    MessageRouter m_messages;

    Table<LinkRecord> m_links;
    Table<HolidayRecord> m_holidayTable;
    std::vector<std::unique_ptr<TableUse>> m_uses;
    std::unique_ptr<StoreTaskDeleter> m_deleter;
    std::unique_ptr<StoreHolidayCalendar> m_holidays;
    std::unique_ptr<ScheduleWriter> m_writer;
    std::unique_ptr<Monitor> m_monitor;
    bool m_started = false;
    bool m_ok = false;
};

}  // namespace cm
