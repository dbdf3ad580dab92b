#pragma once

#include <QObject>
#include <functional>
#include <string_view>

#include "shell/frame_menus.h"
#include "shell/tray_state.h"
#include "shell/ui/qt_runtime.h"

class QIcon;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace cm {

// The frame's icon in the notification area: added when the frame iconizes, removed when it
// is restored, animated while a script runs. Its popup menu is kept current with the script
// queue, since StatusNotifierItem trays draw the menu themselves.
class FrameTray final : public QObject, public TrayPort {
    Q_OBJECT
public:
    explicit FrameTray(QWidget& frame);
    ~FrameTray() override;

    // False without a tray (the frame then stays an ordinary minimized window).
    static bool available();

    // AddTrayIcon: the tip becomes the frame's title; on success the frame hides.
    bool add();
    // RestoreFromTray: the icon goes, the frame comes back. Nothing when not in the tray.
    void restore();
    // Exit from the tray menu: the icon goes before the frame closes.
    void remove();

    bool inTray() const { return m_state.inTray(); }
    void setTip(std::string_view tip);
    // An icon by the program's name, shown at once.
    void setIconName(std::string_view name);
    // Every monitor tick: the animation frame or the normal icon back, through apply when
    // given (the Runtime, which then calls setTrayIcon()), else directly.
    void refresh(bool scriptRunning, const std::function<void(std::string_view)>& apply = {});

    // TrayPort: the Runtime's tip and icon. An icon set from elsewhere (the keystroke sender)
    // counts as not the normal one, so the next quiet tick puts the normal icon back.
    void setTrayTip(const QString& tip) override;
    void setTrayIcon(const QIcon& icon) override;
    void setScriptsQueued(bool queued);
    bool scriptsQueued() const { return m_queued; }
    // Whether a command's tray entry is enabled; asked each time the menu is rebuilt.
    void setEnabledRule(std::function<bool(FrameCommand)> rule) { m_enabled = std::move(rule); }
    void rebuildMenu();

    QMenu* menu() const { return m_menu; }
    QSystemTrayIcon* icon() const { return m_icon; }
    const TrayState& state() const { return m_state; }

signals:
    // A tray menu entry was chosen; restoring first when the entry asks for it is done already.
    void commandChosen(cm::FrameCommand command);
    void restored();

private:
    QWidget& m_frame;
    QSystemTrayIcon* m_icon;
    QMenu* m_menu;
    TrayState m_state;
    bool m_queued = false;
    bool m_applying = false;
    std::function<bool(FrameCommand)> m_enabled;
};

}  // namespace cm
