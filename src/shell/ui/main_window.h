#pragma once

#include <QMainWindow>

class QMdiArea;

namespace cm {

// The application frame: an MDI area for the child windows, with menus, toolbar and status
// zones added as the shell grows.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    QMdiArea* mdiArea() const { return m_mdi; }

private:
    QMdiArea* m_mdi;
};

}  // namespace cm
