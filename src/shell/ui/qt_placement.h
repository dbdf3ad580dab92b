#pragma once

#include "shell/placement.h"

class QWidget;

namespace cm {

// Placement memory for a Qt window: the frame's top-left corner and the client size in
// logical pixels. For a child window (an MDI subwindow) the position is within its parent.
class QtPlacement final : public PlacementWindow {
public:
    explicit QtPlacement(QWidget& widget) : m_widget(widget) {}

    bool isMaximized() const override;
    void setMaximized(bool maximized) override;
    bool isIconized() const override;
    bool canResize() const override;
    WindowRect geometry() const override;
    void move(int x, int y) override;
    void resize(int width, int height) override;

private:
    QWidget& m_widget;
};

}  // namespace cm
