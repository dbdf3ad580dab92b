#include "shell/ui/qt_placement.h"

#include <QWidget>
#include <QWindow>

namespace cm {

bool QtPlacement::isMaximized() const { return m_widget.windowState().testFlag(Qt::WindowMaximized); }

void QtPlacement::setMaximized(bool maximized) {
    if (isMaximized() == maximized) return;
    // Setting the state keeps the normal geometry Qt restores to, shown or not.
    Qt::WindowStates state = m_widget.windowState();
    state.setFlag(Qt::WindowMaximized, maximized);
    m_widget.setWindowState(state);
}

bool QtPlacement::isIconized() const { return m_widget.isMinimized(); }

bool QtPlacement::canResize() const { return m_widget.minimumSize() != m_widget.maximumSize(); }

WindowRect QtPlacement::geometry() const {
    if (!m_widget.isWindow()) {
        // An MDI subwindow draws its own frame, so its geometry is the frame; Qt keeps no
        // normal geometry for child widgets, so a maximized one is read from a moment's
        // normal state (synchronous inside the MDI area).
        QWidget& widget = m_widget;
        const Qt::WindowStates state = widget.windowState();
        if (state & (Qt::WindowMaximized | Qt::WindowMinimized)) widget.setWindowState(Qt::WindowNoState);
        const QRect r = widget.geometry();
        if (widget.windowState() != state) widget.setWindowState(state);
        return {r.x(), r.y(), r.width(), r.height()};
    }
    // The decoration's offset from the client area is the same in every state.
    const QPoint decoration = m_widget.geometry().topLeft() - m_widget.frameGeometry().topLeft();
    if (m_widget.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        const QRect normal = m_widget.normalGeometry();
        if (normal.isValid()) {
            const QPoint corner = normal.topLeft() - decoration;
            return {corner.x(), corner.y(), normal.width(), normal.height()};
        }
    }
    const QPoint corner = m_widget.frameGeometry().topLeft();
    return {corner.x(), corner.y(), m_widget.width(), m_widget.height()};
}

// A shown window is placed by its frame's corner through QWindow: QWidget::move would take the
// decoration it knows of at that moment, which is none until the window manager has framed
// the window, and the frame would creep up by its title bar on every start. resize sizes the
// client area: just what is stored.
void QtPlacement::move(int x, int y) {
    if (m_widget.isWindow() && m_widget.isVisible() && m_widget.windowHandle()) {
        m_widget.windowHandle()->setFramePosition(QPoint(x, y));
        return;
    }
    m_widget.move(x, y);
}

void QtPlacement::resize(int width, int height) { m_widget.resize(width, height); }

}  // namespace cm
