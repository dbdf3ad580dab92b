#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string_view>

#include "engine/monitor.h"
#include "shell/frame_menus.h"
#include "shell/start_up.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

namespace cm {

class FrameTray;
class Runtime;
struct Settings;

// The script queue as the frame sees it: the indicator, the click area and the tray menu.
struct ScriptControl {
    std::function<bool()> queued;
    std::function<void()> emptyQueue;
};

// The application frame: the MDI area for the child windows, the menus and toolbar built from
// FrameMenus, the four status zones, the script indicator and the tray icon. It is the frame
// the start-up sequence opens and the hooks the monitor calls on each tick.
//
// Entries that open windows of other parts stay disabled until those parts connect a handler
// with setCommandHandler(); the buttons a list window lends the toolbar are enabled while one
// reports the focus with setListFocus().
class MainWindow final : public QMainWindow, public FrameHost, public MonitorHooks {
    Q_OBJECT
public:
    static constexpr int kStatusZones = 4;
    static constexpr std::string_view kFrameIcon = "CLOCK.ICO";

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return m_mdi; }
    FrameTray& tray() const { return *m_tray; }

    void setCommandHandler(FrameCommand command, std::function<void()> handler);
    void setListFocus(bool focused);
    bool listFocus() const { return m_listFocus; }
    // Runs the command as its menu entry would; false when it is disabled.
    bool trigger(FrameCommand command);
    QAction* action(FrameCommand command) const;

    void setRuntime(Runtime* runtime) { m_runtime = runtime; }
    void setSettings(const Settings* settings) { m_settings = settings; }
    // Boxes the frame opens itself hold it while they are open.
    void setMonitor(Monitor* monitor) { m_monitor = monitor; }
    void setScriptControl(ScriptControl control);
    // Placement memory of section "Main"; without these the frame keeps its designed placement.
    void setPlacementHandlers(std::function<void()> restore, std::function<void()> save);

    // Zone 1 menu help, zone 2 the next task or script item, zone 3 the date, zone 4 the time.
    void setStatusZone(int zone, const QString& text);
    QString statusZone(int zone) const;
    QString scriptIndicator() const;

    // Out of the tray (or the minimized state), in front and active.
    void restoreFrame() override;

    // FrameHost
    void restorePlacement() override;
    void savePlacement() override;
    void iconize() override;
    void sendToTray() override;

    // MonitorHooks
    bool frameIconized() const override;
    void setScriptIndicator(std::string_view text) override;
    void refreshTrayIcon(bool scriptRunning) override;

signals:
    // The frame closed: the program ends through the normal shutdown.
    void frameClosed();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QMenu* menuFor(const std::vector<std::string_view>& path);
    void fillWindowMenu();
    void arrangeIcons();
    void printSetup();
    void stopScript();
    void openUrl(const char* url);
    void showHelp(std::string_view topic);
    void updateEnabled();
    bool enabled(FrameCommand command) const;
    void run(FrameCommand command);

    QMdiArea* m_mdi;
    QToolBar* m_toolbar = nullptr;
    QToolButton* m_indicator = nullptr;
    QLabel* m_zones[kStatusZones] = {};
    FrameTray* m_tray = nullptr;
    QMenu* m_windowMenu = nullptr;
    std::map<std::vector<std::string_view>, QMenu*> m_menus;
    std::multimap<FrameCommand, QAction*> m_actions;
    std::map<FrameCommand, std::function<void()>> m_handlers;
    std::function<void()> m_restorePlacement;
    std::function<void()> m_savePlacement;
    ScriptControl m_script;
    Runtime* m_runtime = nullptr;
    const Settings* m_settings = nullptr;
    Monitor* m_monitor = nullptr;
    bool m_listFocus = false;
};

}  // namespace cm
