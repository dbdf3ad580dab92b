#include "shell/ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <optional>

#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/ui/frame_tray.h"
#include "shell/ui/icons.h"
#include "shell/version.h"
#include "shell/ui/qt_text.h"

namespace cm {
namespace {


// The list buttons have no resource names of their own: our icons under the names icons.h gives.
std::string_view listIconName(FrameCommand command) {
    switch (command) {
    case FrameCommand::ListInsert: return icon::kInsert;
    case FrameCommand::ListChange: return icon::kChange;
    case FrameCommand::ListDelete: return icon::kDelete;
    case FrameCommand::ListFirstPage: return icon::kFirst;
    case FrameCommand::ListPriorPage: return icon::kPriorPage;
    case FrameCommand::ListPriorRecord: return icon::kPrior;
    case FrameCommand::ListNextRecord: return icon::kNext;
    case FrameCommand::ListNextPage: return icon::kNextPage;
    case FrameCommand::ListLastPage: return icon::kLast;
    default: return icon::kHelp;
    }
}

QIcon buttonIcon(const ToolbarButton& button) {
    const QIcon own = programIcon(button.ownIcon ? button.icon : listIconName(button.command));
    return own.isNull() ? QIcon::fromTheme(qs(button.icon)) : own;
}

constexpr const char* kIndicatorTip = "Click here to stop the running scripts";
constexpr std::string_view kHelpSearchTopic = "search";
constexpr std::string_view kHelpHowToTopic = "howto";

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    setObjectName("Main");
    setWindowTitle(QString::fromUtf8(Version::kFullTitle));
    QIcon frameIcon = programIcon(kFrameIcon);
    setWindowIcon(frameIcon.isNull() ? QIcon::fromTheme("appointment-soon") : frameIcon);
    m_mdi->setObjectName("mdiArea");
    setCentralWidget(m_mdi);

    m_handlers[FrameCommand::PrintSetup] = [this] { printSetup(); };
    m_handlers[FrameCommand::Exit] = [this] { close(); };
    m_handlers[FrameCommand::Tile] = [this] { m_mdi->tileSubWindows(); };
    m_handlers[FrameCommand::Cascade] = [this] { m_mdi->cascadeSubWindows(); };
    m_handlers[FrameCommand::ArrangeIcons] = [this] { arrangeIcons(); };
    m_handlers[FrameCommand::HelpContents] = [this] { showHelp({}); };
    m_handlers[FrameCommand::HelpSearch] = [this] { showHelp(kHelpSearchTopic); };
    m_handlers[FrameCommand::HelpHowToUse] = [this] { showHelp(kHelpHowToTopic); };
    m_handlers[FrameCommand::HomePage] = [this] { openUrl(Version::kHomePage); };
    m_handlers[FrameCommand::EmailUs] = [this] { openUrl((std::string("mailto:") + Version::kEmail).c_str()); };
    m_handlers[FrameCommand::Restore] = [this] { restoreFrame(); };
    m_handlers[FrameCommand::ExitFromTray] = [this] {
        m_tray->remove();
        close();
    };

    m_tray = new FrameTray(*this);
    m_tray->setEnabledRule([this](FrameCommand c) { return enabled(c); });
    connect(m_tray, &FrameTray::commandChosen, this, [this](FrameCommand c) { run(c); });

    buildMenus();
    buildToolbar();
    buildStatusBar();
    updateEnabled();
    resize(800, 560);
}

MainWindow::~MainWindow() = default;

QMenu* MainWindow::menuFor(const std::vector<std::string_view>& path) {
    if (auto it = m_menus.find(path); it != m_menus.end()) return it->second;
    QMenu* menu = nullptr;
    if (path.size() == 1) {
        menu = menuBar()->addMenu(qs(path.front()));
        for (const auto& [text, name] : FrameMenus::topMenus())
            if (text == path.front()) menu->setObjectName(qs(name));
    } else {
        QMenu* parentMenu = menuFor({path.begin(), path.end() - 1});
        menu = parentMenu->addMenu(qs(path.back()));
        menu->setObjectName(qs(FrameMenus::submenuObjectName(path.back())));
    }
    m_menus[path] = menu;
    return menu;
}

void MainWindow::buildMenus() {
    for (const auto& [text, name] : FrameMenus::topMenus()) menuFor({text});
    for (const MenuEntry& entry : FrameMenus::menuEntries()) {
        QMenu* menu = menuFor(entry.path);
        // A separator goes before the entry, or before the submenu it opens.
        if (entry.separatorBefore) {
            QMenu* host = entry.path.size() > 1 ? menuFor({entry.path.begin(), entry.path.end() - 1}) : menu;
            if (host == menu)
                menu->addSeparator();
            else
                host->insertSeparator(menu->menuAction());
        }
        QAction* action = menu->addAction(qs(entry.text));
        action->setObjectName(qs(entry.objectName));
        action->setStatusTip(qs(entry.help));
        if (!entry.shortcut.empty()) action->setShortcut(QKeySequence(qs(entry.shortcut)));
        const FrameCommand command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { run(command); });
        m_actions.emplace(command, action);
    }
    m_windowMenu = m_menus.at({"&Window"});
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
}

void MainWindow::buildToolbar() {
    m_toolbar = addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName("toolbar");
    m_toolbar->setMovable(false);
    for (const ToolbarButton& button : FrameMenus::toolbarButtons()) {
        if (button.separatorBefore) m_toolbar->addSeparator();
        QAction* action = m_toolbar->addAction(buttonIcon(button), qs(button.toolTip));
        action->setToolTip(qs(button.toolTip));
        action->setStatusTip(qs(button.toolTip));
        action->setObjectName(qs(button.objectName));
        const FrameCommand command = button.command;
        connect(action, &QAction::triggered, this, [this, command] { run(command); });
        m_actions.emplace(command, action);
    }
    m_toolbar->addSeparator();
    // The script indicator is its own click area: "*" while scripts are queued.
    m_indicator = new QToolButton(m_toolbar);
    m_indicator->setObjectName("scriptIndicator");
    m_indicator->setAutoRaise(true);
    m_indicator->setToolTip(tr(kIndicatorTip));
    m_indicator->setMinimumWidth(m_indicator->fontMetrics().horizontalAdvance(QStringLiteral("MM")));
    connect(m_indicator, &QToolButton::clicked, this, &MainWindow::stopScript);
    m_toolbar->addWidget(m_indicator);

    auto* spacer = new QWidget(m_toolbar);
    spacer->setObjectName("toolbarSpacer");
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    auto* picture = new QLabel(m_toolbar);
    picture->setObjectName("toolbarPicture");
    const int side = m_toolbar->iconSize().height();
    picture->setPixmap(windowIcon().pixmap(side, side));
    picture->setContentsMargins(0, 0, side / 4, 0);
    m_toolbar->addWidget(picture);
}

void MainWindow::buildStatusBar() {
    statusBar()->setObjectName("statusBar");
    static constexpr const char* kZoneNames[kStatusZones] = {"statusMenuHelp", "statusNextTask", "statusDate",
                                                             "statusTime"};
    for (int i = 0; i < kStatusZones; ++i) {
        m_zones[i] = new QLabel(statusBar());
        m_zones[i]->setObjectName(kZoneNames[i]);
        m_zones[i]->setContentsMargins(4, 0, 4, 0);
    }
    statusBar()->addWidget(m_zones[0], 1);
    statusBar()->addPermanentWidget(m_zones[1], 2);
    statusBar()->addPermanentWidget(m_zones[2]);
    statusBar()->addPermanentWidget(m_zones[3]);
}

void MainWindow::fillWindowMenu() {
    // The entries of the table stay; the list of open windows follows them.
    for (QAction* a : m_windowMenu->actions())
        if (a->property("windowListEntry").toBool()) {
            m_windowMenu->removeAction(a);
            a->deleteLater();
        }
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    if (windows.isEmpty()) return;
    QAction* separator = m_windowMenu->addSeparator();
    separator->setProperty("windowListEntry", true);
    int n = 0;
    for (QMdiSubWindow* window : windows) {
        ++n;
        const QString text = n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(window->windowTitle())
                                    : QStringLiteral("%1 %2").arg(n).arg(window->windowTitle());
        QAction* a = m_windowMenu->addAction(text);
        a->setObjectName(QStringLiteral("windowListAction%1").arg(n));
        a->setProperty("windowListEntry", true);
        a->setCheckable(true);
        a->setChecked(window == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, window] {
            if (window->isMinimized()) window->showNormal();
            m_mdi->setActiveSubWindow(window);
        });
    }
}

void MainWindow::arrangeIcons() {
    // Minimized child windows line up along the bottom of the area, left to right.
    int x = 0;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (!window->isMinimized()) continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > m_mdi->viewport()->width()) x = 0;
        window->move(x, m_mdi->viewport()->height() - size.height());
        x += size.width();
    }
}

void MainWindow::printSetup() {
    static QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("printSetupDialog");
    std::optional<MonitorHold> hold;
    if (m_monitor) hold.emplace(*m_monitor);
    dialog.exec();
}

void MainWindow::stopScript() {
    if (!m_script.queued || !m_script.queued() || !m_script.emptyQueue) return;
    m_script.emptyQueue();
    m_tray->setScriptsQueued(false);
}

void MainWindow::openUrl(const char* url) { QDesktopServices::openUrl(QUrl(QString::fromUtf8(url))); }

void MainWindow::showHelp(std::string_view topic) {
    if (m_runtime) m_runtime->showHelp(topic);
}

bool MainWindow::enabled(FrameCommand command) const {
    const bool handled = m_handlers.count(command) != 0;
    switch (command) {
    case FrameCommand::StopScript: return m_script.emptyQueue != nullptr;
    case FrameCommand::HelpContents:
    case FrameCommand::HelpSearch:
    case FrameCommand::HelpHowToUse: return m_runtime != nullptr;
    default: break;
    }
    for (const ToolbarButton& b : FrameMenus::toolbarButtons())
        if (b.command == command && b.rule == EnableRule::ListFocus) return handled && m_listFocus;
    return handled;
}

void MainWindow::updateEnabled() {
    for (auto& [command, action] : m_actions) action->setEnabled(enabled(command));
    m_tray->rebuildMenu();
}

void MainWindow::run(FrameCommand command) {
    if (command == FrameCommand::StopScript) {
        stopScript();
        return;
    }
    if (!enabled(command)) return;
    // A handler may replace itself (a list window gaining the focus), so call a copy.
    const std::function<void()> handler = m_handlers.at(command);
    handler();
}

bool MainWindow::trigger(FrameCommand command) {
    if (command != FrameCommand::StopScript && !enabled(command)) return false;
    run(command);
    return true;
}

QAction* MainWindow::action(FrameCommand command) const {
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void MainWindow::setCommandHandler(FrameCommand command, std::function<void()> handler) {
    if (handler)
        m_handlers[command] = std::move(handler);
    else
        m_handlers.erase(command);
    updateEnabled();
}

void MainWindow::setListFocus(bool focused) {
    if (focused == m_listFocus) return;
    m_listFocus = focused;
    updateEnabled();
}

void MainWindow::setScriptControl(ScriptControl control) {
    m_script = std::move(control);
    updateEnabled();
}

void MainWindow::setPlacementHandlers(std::function<void()> restore, std::function<void()> save) {
    m_restorePlacement = std::move(restore);
    m_savePlacement = std::move(save);
}

void MainWindow::setStatusZone(int zone, const QString& text) {
    if (zone < 1 || zone > kStatusZones) return;
    m_zones[zone - 1]->setText(text);
}

QString MainWindow::statusZone(int zone) const {
    return zone < 1 || zone > kStatusZones ? QString() : m_zones[zone - 1]->text();
}

QString MainWindow::scriptIndicator() const { return m_indicator->text(); }

void MainWindow::restoreFrame() {
    if (m_tray->inTray()) {
        m_tray->restore();
        return;
    }
    if (isMinimized() || isHidden()) showNormal();
    raise();
    activateWindow();
}

void MainWindow::restorePlacement() {
    if (m_restorePlacement) m_restorePlacement();
}

void MainWindow::savePlacement() {
    if (m_savePlacement) m_savePlacement();
}

void MainWindow::iconize() { showMinimized(); }

void MainWindow::sendToTray() {
    if (m_settings && m_settings->noTray) return;
    m_tray->add();
}

bool MainWindow::frameIconized() const { return isMinimized() || m_tray->inTray(); }

void MainWindow::setScriptIndicator(std::string_view text) {
    m_indicator->setText(qs(text));
    m_tray->setScriptsQueued(!text.empty());
}

void MainWindow::refreshTrayIcon(bool scriptRunning) {
    if (m_runtime)
        m_tray->refresh(scriptRunning, [this](std::string_view name) { m_runtime->setTrayIcon(name); });
    else
        m_tray->refresh(scriptRunning);
}

bool MainWindow::event(QEvent* event) {
    // Menu help goes to zone 1 rather than over the status zones.
    if (event->type() == QEvent::StatusTip) {
        m_zones[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Hiding the frame inside its own state change confuses some window managers: do it next.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !m_tray->inTray())
        QMetaObject::invokeMethod(this, [this] {
            if (isMinimized()) sendToTray();
        }, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_tray->remove();
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) emit frameClosed();
}

}  // namespace cm
