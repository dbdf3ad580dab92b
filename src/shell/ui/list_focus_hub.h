#pragma once

#include <QObject>

namespace cm {

class ListWindow;
class MainWindow;

// Lends the frame's list buttons (insert, change, delete, the six navigation buttons and
// help) to the list window that is active: the frame's current MDI subwindow while the frame
// is the active window, or a list window that is a window of its own. The buttons are enabled
// only while there is one.
//
// One hub serves the frame; it is the frame's child and connects its handlers once.
class ListFocusHub final : public QObject {
    Q_OBJECT
public:
    explicit ListFocusHub(MainWindow& frame);
    ~ListFocusHub() override;

    // The list window the frame's buttons act on now, or nullptr.
    ListWindow* current() const;

    // List windows call it as they open, show and close, since none of these need move the
    // focus; the frame's hub looks again once the event has been handled.
    static void listsChanged();

private:
    void refresh();

    MainWindow& m_frame;
    bool m_refreshQueued = false;
};

}  // namespace cm
