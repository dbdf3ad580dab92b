#include "shell/application.h"

#include "store/table_registry.h"
#include "store/tables/table_catalog.h"

namespace cm {

Application::Application(const ApplicationPorts& ports, std::filesystem::path dataFolder)
    : m_ports(ports),
      m_dataFolder(std::move(dataFolder)),
      m_log(m_dataFolder, ports.clock, m_settings),
      m_startUp(ports.runtime, ports.clock, m_settings, m_log, ports.frame, m_dataFolder),
      m_actions(ports.launcher, ports.runtime, m_log, m_dataFolder),
      m_messages(ports.messages, ports.runtime, m_log, m_settings),
      m_links(linkLayout(), std::string(findTable("Link")->declaredName)),
      m_holidayTable(holidaysLayout(), std::string(findTable("Holidays")->declaredName)) {}

Application::~Application() { shutDown(); }

std::vector<StartUpWindow> Application::start() {
    m_started = true;
    m_startUp.programBody();
    if (!m_startUp.openFrame()) return {};
    // The monitor's writer and cascade need these beside the frame's own tables.
    for (TableHandle* table : {static_cast<TableHandle*>(&m_links), static_cast<TableHandle*>(&m_holidayTable)}) {
        auto use = std::make_unique<TableUse>(*table, m_ports.runtime);
        if (!use->open()) return {};
        m_uses.push_back(std::move(use));
    }
    std::vector<StartUpWindow> windows = m_startUp.settingsStep();

    m_deleter = std::make_unique<StoreTaskDeleter>(m_startUp.schedule(), m_startUp.scripting(), m_links);
    m_holidays = std::make_unique<StoreHolidayCalendar>(m_holidayTable);
    m_writer = std::make_unique<ScheduleWriter>(m_startUp.schedule(), m_startUp.scripting(), *m_deleter, *m_holidays,
                                                m_ports.clock, m_ports.runtime);
    m_monitor = std::make_unique<Monitor>(MonitorContext{m_ports.runtime, m_ports.clock, m_ports.timers, m_ports.sound,
                                                         m_settings, m_log, m_startUp.schedule(), *m_writer,
                                                         *m_deleter, m_actions, m_messages});
    m_monitor->start(StartUp::frameTimerPeriod(StartUp::kMaxTimerPeriod));
    m_ok = true;
    return windows;
}

void Application::shutDown() {
    if (!m_started || m_startUp.shutDownDone()) return;
    if (m_monitor) m_monitor->stop();
    m_uses.clear();
    m_startUp.shutDown();
    m_log.close();
}

}  // namespace cm
