#include "shell/ui/main_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>

#include "shell/version.h"

namespace cm {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    setObjectName("Main");
    setWindowTitle(QString::fromUtf8(Version::kFullTitle));
    m_mdi->setObjectName("mdiArea");
    setCentralWidget(m_mdi);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("fileMenu");
    QAction* exit = file->addAction(tr("E&xit"), this, &QWidget::close);
    exit->setObjectName("exitAction");
    exit->setShortcut(QKeySequence::Quit);

    statusBar()->setObjectName("statusBar");
    resize(800, 560);
}

}  // namespace cm
