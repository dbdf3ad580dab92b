#include "shell/ui/frame_tray.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "shell/start_up.h"
#include "shell/ui/icons.h"
#include "shell/ui/qt_text.h"

namespace cm {

FrameTray::FrameTray(QWidget& frame)
    : QObject(&frame), m_frame(frame), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu(&frame)) {
    m_icon->setObjectName("trayIcon");
    m_menu->setObjectName("trayMenu");
    m_icon->setIcon(programIcon(m_state.currentIcon()));
    m_icon->setToolTip(qs(StartUp::kInitialTrayTip));
    m_icon->setContextMenu(m_menu);
    // A single left click restores too, although the tip speaks of a double click.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) restore();
    });
    rebuildMenu();
}

FrameTray::~FrameTray() = default;

bool FrameTray::available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool FrameTray::add() {
    if (m_state.inTray()) return true;
    if (!available()) return false;
    m_icon->setToolTip(m_frame.windowTitle());
    m_icon->show();
    if (!m_icon->isVisible()) return false;
    m_state.setInTray(true);
    m_frame.hide();
    return true;
}

void FrameTray::restore() {
    if (!m_state.inTray()) return;
    m_state.setCurrentIcon(m_state.normalIcon());
    m_icon->setIcon(programIcon(m_state.normalIcon()));
    m_icon->setToolTip(m_frame.windowTitle());
    m_icon->hide();
    m_state.setInTray(false);
    m_frame.showNormal();
    m_frame.raise();
    m_frame.activateWindow();
    emit restored();
}

void FrameTray::remove() {
    if (!m_state.inTray()) return;
    m_icon->hide();
    m_state.setInTray(false);
}

void FrameTray::setTip(std::string_view tip) {
    m_icon->setToolTip(qs(tip));
}

void FrameTray::setIconName(std::string_view name) {
    m_state.setCurrentIcon(name);
    m_icon->setIcon(programIcon(name));
}

void FrameTray::refresh(bool scriptRunning, const std::function<void(std::string_view)>& apply) {
    const auto next = m_state.refresh(scriptRunning);
    if (!next) return;
    m_applying = true;
    if (apply)
        apply(*next);
    else
        m_icon->setIcon(programIcon(*next));
    m_applying = false;
}

void FrameTray::setTrayTip(const QString& tip) { m_icon->setToolTip(tip); }

void FrameTray::setTrayIcon(const QIcon& icon) {
    if (!m_applying) m_state.setCurrentIcon({});
    m_icon->setIcon(icon);
}

void FrameTray::setScriptsQueued(bool queued) {
    if (queued == m_queued) return;
    m_queued = queued;
    rebuildMenu();
}

void FrameTray::rebuildMenu() {
    m_menu->clear();
    for (const TrayEntry& entry : FrameMenus::trayEntries(m_queued)) {
        if (entry.separatorBefore) m_menu->addSeparator();
        QAction* action = m_menu->addAction(qs(entry.text));
        action->setObjectName(qs(entry.objectName));
        action->setEnabled(!m_enabled || m_enabled(entry.command));
        const FrameCommand command = entry.command;
        const bool restoresFirst = entry.restoresFirst;
        connect(action, &QAction::triggered, this, [this, command, restoresFirst] {
            if (restoresFirst) restore();
            emit commandChosen(command);
        });
    }
}

}  // namespace cm
