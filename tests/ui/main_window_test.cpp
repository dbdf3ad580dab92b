#include <QMdiArea>
#include <QMenuBar>
#include <QtTest>

#include "shell/ui/main_window.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithTitleAndQuitsCleanly() {
        cm::MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.windowTitle(), QString("Chronomate 98 1.6a"));
        QVERIFY(frame.findChild<QMdiArea*>("mdiArea"));
        QVERIFY(frame.close());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
