#include "shell/start_up.h"

#include <array>
#include <system_error>

#include "base/date.h"
#include "base/picture.h"
#include "engine/event_log.h"
#include "shell/clock.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "shell/version.h"
#include "store/table_name.h"
#include "store/table_registry.h"
#include "store/tables/table_catalog.h"

namespace cm {
namespace {

constexpr std::array<std::string_view, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                           "Thursday", "Friday", "Saturday"};

std::string declaredName(std::string_view table) {
    return std::string(findTable(table)->declaredName);
}

}  // namespace

StartUp::StartUp(Runtime& runtime, const Clock& clock, Settings& settings, EventLog& log, FrameHost& frame,
                 std::filesystem::path dataFolder)
    : m_runtime(runtime),
      m_clock(clock),
      m_settings(settings),
      m_log(log),
      m_frame(frame),
      m_dataFolder(std::move(dataFolder)),
      m_clipboard(clipboardLayout(), declaredName("Clipboard")),
      m_configuration(configurationLayout(), declaredName("Configuration")),
      m_schedule(scheduleLayout(), declaredName("Schedule")),
      m_scripting(scriptingLayout(), declaredName("Scripting")),
      m_windowLookup(windowLookupLayout(), declaredName("WindowLookup")) {}

StartUp::~StartUp() { m_uses.clear(); }

void StartUp::programBody() {
    StoreFiles::setDataFolder(m_dataFolder);
    registerTables();
    std::error_code ec;
    m_startUpDirectory = std::filesystem::current_path(ec);
}

bool StartUp::openFrame() {
    for (TableHandle* table : std::array<TableHandle*, 5>{&m_clipboard, &m_configuration, &m_schedule, &m_scripting,
                                                          &m_windowLookup}) {
        auto use = std::make_unique<TableUse>(*table, m_runtime);
        if (!use->open()) return false;
        m_uses.push_back(std::move(use));
    }
    m_opened = true;
    m_frame.restorePlacement();
    const Moment now = m_clock.current();
    m_runtime.setStatusText(3, std::string(kWeekdayNames[static_cast<std::size_t>(Date::weekday(now.date))]) + ", " +
                                   formatDate(now.date, kStatusDatePicture));
    m_runtime.setStatusText(4, formatTime(now.time, kStatusTimePicture));
    return true;
}

std::vector<StartUpWindow> StartUp::settingsStep() {
    m_runtime.setFrameTitle(Version::kFullTitle);
    SettingsStore store(m_configuration, m_runtime, {m_dataFolder, {}});
    // The window-monitoring values and "Debug" come with loadSettings().
    store.storeVersion();
    store.loadSettings(m_settings);
    std::vector<StartUpWindow> windows = startUpWindows(m_settings);
    if (m_settings.startUpMinimized) m_frame.iconize();
    m_startDate = m_clock.today();
    m_log.logEvent(kStartedEvent, Version::kFullTitle);
    if (m_settings.startUpMinimized) m_frame.sendToTray();
    m_normalTrayIcon = kInitialTrayIcon;
    return windows;
}

void StartUp::shutDown() {
    if (m_shutDown) return;
    m_shutDown = true;
    m_uses.clear();
    if (m_opened) m_frame.savePlacement();
    m_log.logEvent(kExitEvent, {});
}

std::int32_t StartUp::frameTimerPeriod(std::int32_t requested) {
    return requested >= 1 && requested <= kMaxTimerPeriod ? requested : kMaxTimerPeriod;
}

std::vector<StartUpWindow> StartUp::startUpWindows(const Settings& settings) {
    std::vector<StartUpWindow> out;
    if (settings.startUpContacts) out.push_back(StartUpWindow::Contacts);
    if (settings.startUpClipboardSaver) out.push_back(StartUpWindow::Clipboard);
    if (settings.startUpToDo) out.push_back(StartUpWindow::ToDo);
    if (settings.startUpSchedule) out.push_back(StartUpWindow::Schedule);
    return out;
}

}  // namespace cm
