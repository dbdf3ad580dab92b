#include "app/desktop_program.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QSessionManager>
#include <cstdio>

#include "app/single_instance.h"
#include "base/ini_file.h"
#include "engine/message_actions.h"
#include "platform/qt/dbus_dde.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/x11_window_system.h"
#include "script/ui/browse_window_lookup.h"
#include "script/key_codes_file.h"
#include "shell/frame_menus.h"
#include "shell/housekeeping.h"
#include "shell/options_rules.h"
#include "shell/placement.h"
#include "shell/script_wiring.h"
#include "shell/settings_store.h"
#include "shell/ui/about_window.h"
#include "shell/ui/frame_tray.h"
#include "shell/ui/list_focus_hub.h"
#include "shell/ui/message_windows.h"
#include "shell/ui/qt_placement.h"
#include "shell/ui/setup_window.h"
#include "shell/ui/text_viewer_window.h"
#include "shell/version.h"
#include "store/table_registry.h"
#include "store/tables/table_catalog.h"
#include "store/tables/todo_record.h"

// Last: Xlib's macros must not reach the headers above.
#include <X11/Xlib.h>

namespace cm {
namespace {

constexpr const char* kWaylandSection = "Desktop";
constexpr const char* kWaylandNoticeKey = "WaylandNoticeShown";
constexpr const char* kWaylandNotice =
    "Chronomate runs its windows through XWayland in this Wayland session.\n\n"
    "Scripts can find, focus and type into X11 windows only; windows of native Wayland "
    "programs are out of their reach.";

std::string declared(std::string_view table) { return std::string(findTable(table)->declaredName); }

// Holds the monitor for as long as a window the frame opened stays open.
void holdWhileOpen(QWidget* window, Monitor* monitor) {
    if (!monitor) return;
    auto hold = std::make_shared<MonitorHold>(*monitor);
    QObject::connect(window, &QObject::destroyed, [hold]() mutable { hold.reset(); });
}

// The display Qt's xcb platform opened, so scripts reach the windows our own are among.
std::string qtDisplayName() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    return display ? XDisplayString(display) : std::string();
}

}  // namespace

void connectScriptControl(MainWindow& frame, ScriptWiring& scripts) {
    frame.setScriptControl({[&scripts] { return scripts.queued(); }, [&scripts] { scripts.emptyQueue(); }});
    scripts.setQueueObserver([&frame](bool queued) {
        frame.setScriptIndicator(queued ? FrameMenus::kScriptIndicator : std::string_view());
    });
}

DesktopProgram::DesktopProgram(std::filesystem::path dataFolder)
    : m_dataFolder(std::move(dataFolder)),
      m_sound([] { QApplication::beep(); }),
      m_app(ApplicationPorts{m_runtime, m_clock, m_timers, m_sound, m_launcher, m_relay, m_frame}, m_dataFolder) {
    m_runtime.setFrame(&m_frame);
    m_runtime.setTrayPort(&m_frame.tray());
    m_frame.setRuntime(&m_runtime);
    m_frame.setSettings(&m_app.settings());
    const std::filesystem::path positions = m_dataFolder / std::string(Placement::kFileName);
    m_frame.setPlacementHandlers(
        [this, positions] {
            QtPlacement placement(m_frame);
            Placement::restore(IniFile(positions), StartUp::kPlacementSection, placement);
        },
        [this, positions] {
            IniFile file(positions);
            Placement::save(file, StartUp::kPlacementSection, QtPlacement(m_frame));
        });
    connect(&m_frame, &MainWindow::frameClosed, this, &DesktopProgram::quit);
}

DesktopProgram::~DesktopProgram() { shutDown(); }

int DesktopProgram::run(bool switchedFromWayland) {
    m_frame.show();
    // The frame's list buttons follow whichever list window is active from now on.
    new ListFocusHub(m_frame);
    const std::vector<StartUpWindow> windows = m_app.start();
    if (!m_app.ok()) return 1;
    // The list windows these name open here once they exist.
    (void)windows;

    Monitor* monitor = m_app.monitor();
    m_runtime.setMonitor(monitor);
    m_frame.setMonitor(monitor);
    monitor->setHooks(&m_frame);
    startScripts();
    if (!m_scripts) return 1;

    m_messageSchedule = std::make_unique<Table<ScheduleRecord>>(scheduleLayout(), declared("Schedule"));
    m_todo = std::make_unique<Table<TodoRecord>>(todoLayout(), declared("Todo"));
    for (TableHandle* table : {static_cast<TableHandle*>(m_messageSchedule.get()), static_cast<TableHandle*>(m_todo.get())}) {
        m_uses.push_back(std::make_unique<TableUse>(*table, m_runtime));
        if (!m_uses.back()->open()) return 1;
    }
    m_messageActions = std::make_unique<MessageActions>(*m_messageSchedule, *m_todo, m_clock, m_runtime);
    m_sink = std::make_unique<QtMessageSink>(
        MessageWindowServices(*m_messageActions, m_sound, m_clock, m_app.settings()), m_app.actions());
    m_sink->setRouter(&m_app.messages());
    m_sink->setPositionIni(m_dataFolder / std::string(Placement::kFileName));
    m_sink->setMdiArea(m_frame.mdiArea());
    m_sink->setDialogParent(&m_frame);
    m_relay.setTarget(m_sink.get());

    connectCommands();
    // The key list is a plain copy of the key tables; failing to write it costs only that list,
    // whose window then says the file cannot be loaded.
    if (!installKeyCodesFile(m_dataFolder))
        std::fprintf(stderr, "chronomate: cannot write %s into %s\n", std::string(kKeyCodesFileName).c_str(),
                     m_dataFolder.string().c_str());

    m_instance = new SingleInstance(m_dataFolder, this);
    m_instance->listen([this] { m_frame.restoreFrame(); });

    // The session ending closes the program through the normal shutdown; logging off is never refused.
    auto* app = qApp;
    connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        QMetaObject::invokeMethod(this, &DesktopProgram::quit, Qt::QueuedConnection);
    });
    connect(app, &QCoreApplication::aboutToQuit, this, &DesktopProgram::shutDown);

    if (switchedFromWayland || X11Session::waylandSession()) tellAboutWayland();
    return QApplication::exec();
}

void DesktopProgram::startScripts() {
    const std::string display = qtDisplayName();
    m_x11 = std::make_unique<X11Session>(display.empty() ? nullptr : display.c_str());
    if (m_x11->isOpen()) {
        m_keyboard = std::make_unique<X11Keyboard>(*m_x11);
        m_windows = std::make_unique<X11WindowSystem>(*m_x11);
    } else {
        // The program runs on; scripts fail their keyboard and window steps.
        std::fprintf(stderr, "chronomate: %s\n", m_x11->error().c_str());
    }
    m_dde = std::make_unique<DbusDde>();
    auto scripts = std::make_unique<ScriptWiring>(ScriptPorts{m_runtime, m_clock, m_timers, m_app.settings(),
                                                              m_app.log(), m_app.actions(), *m_dde,
                                                              m_keyboard.get(), m_windows.get()});
    if (!scripts->open()) return;
    scripts->sender().setTrayIconQuery([this] { return m_runtime.trayIconName(); });
    scripts->attach(*m_app.monitor(), &m_frame);
    connectScriptControl(m_frame, *scripts);
    m_scripts = std::move(scripts);
}

void DesktopProgram::connectCommands() {
    m_frame.setCommandHandler(FrameCommand::About, [this] {
        auto* about = new AboutWindow(&m_frame);
        about->setAttribute(Qt::WA_DeleteOnClose);
        if (m_app.settings().monitorWindows) {
            about->setTitleClicked([this, about] {
                about->accept();
                openWindowLookup();
            });
        }
        holdWhileOpen(about, m_app.monitor());
        about->open();
    });
    m_frame.setCommandHandler(FrameCommand::Setup, [this] {
        auto store = std::make_shared<SettingsStore>(m_app.startUp().configuration(), m_runtime,
                                                     SettingsFiles{m_dataFolder, {}});
        auto options = std::make_shared<OptionsController>(m_app.settings(), *store, m_runtime);
        auto housekeeping = std::make_shared<Housekeeping>(m_runtime, m_app.startUp().schedule(), *m_todo,
                                                           *m_app.deleter(), m_dataFolder);
        housekeeping->setScriptQueueEmptier([this] {
            if (m_scripts) m_scripts->emptyQueue();
        });
        auto* setup = new SetupWindow(*options, *housekeeping, &m_frame);
        setup->setAttribute(Qt::WA_DeleteOnClose);
        connect(setup, &QObject::destroyed, [store, options, housekeeping] {});
        holdWhileOpen(setup, m_app.monitor());
        setup->open();
    });
    m_frame.setCommandHandler(FrameCommand::ViewLog, [this] {
        const TextViewerServices services{m_runtime, m_timers, m_dataFolder / std::string(Placement::kFileName)};
        openViewLog(services, [this] { return m_app.log().path().string(); }, m_frame.mdiArea());
    });
}

// BrowseWindowLookup as a child window of the frame, one at a time. The About window that
// asks for it closes first, so the list is neither blocked by About nor holding the monitor.
void DesktopProgram::openWindowLookup() {
    m_frame.restoreFrame();
    if (m_windowLookup) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m_windowLookup->parentWidget()))
            m_frame.mdiArea()->setActiveSubWindow(sub);
        return;
    }
    m_windowLookup = BrowseWindowLookup::create(m_runtime, m_clock, m_app.settings(),
                                                m_dataFolder / std::string(Placement::kFileName));
    if (m_windowLookup) m_windowLookup->showIn(*m_frame.mdiArea());
}

void DesktopProgram::tellAboutWayland() {
    const std::filesystem::path ini = m_dataFolder / std::string(SettingsStore::kProgramIni);
    IniFile file(ini);
    if (file.read(kWaylandSection, kWaylandNoticeKey) == "1") return;
    file.write(kWaylandSection, kWaylandNoticeKey, "1");
    MessageBoxRequest box;
    box.text = kWaylandNotice;
    box.title = Version::kProductName;
    box.icon = MessageIcon::Information;
    QMetaObject::invokeMethod(this, [this, box] { m_runtime.messageBox(box); }, Qt::QueuedConnection);
}

void DesktopProgram::quit() { m_runtime.quit(0); }

void DesktopProgram::shutDown() {
    if (m_app.startUp().shutDownDone()) return;
    m_relay.setTarget(nullptr);
    if (m_scripts) m_scripts->detach();
    m_app.shutDown();
    m_uses.clear();
    m_scripts.reset();
}

}  // namespace cm
