#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "shell/frame_menus.h"
#include "shell/ui/frame_tray.h"
#include "shell/ui/main_window.h"

using cm::FrameCommand;
using cm::MainWindow;

namespace {

QStringList trayTexts(const MainWindow& frame) {
    QStringList out;
    for (QAction* a : frame.tray().menu()->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

}  // namespace

class FrameTest : public QObject {
    Q_OBJECT
private slots:
    void menusFollowTheTable() {
        MainWindow frame;
        QStringList tops;
        for (QAction* a : frame.menuBar()->actions()) tops << a->text();
        QCOMPARE(tops, (QStringList{"&File", "&Browse", "&Reports", "&Window", "&Help"}));
        for (const cm::MenuEntry& e : cm::FrameMenus::menuEntries()) {
            auto* a = frame.findChild<QAction*>(QString::fromUtf8(e.objectName.data(), int(e.objectName.size())));
            QVERIFY2(a, e.objectName.data());
            QCOMPARE(a->text(), QString::fromUtf8(e.text.data(), int(e.text.size())));
        }
        auto* import = frame.findChild<QMenu*>("importMenu");
        QVERIFY(import);
        QCOMPARE(import->title(), QString("&Import"));
        QCOMPARE(frame.findChild<QAction*>("exitAction")->shortcut(), QKeySequence("Ctrl+Q"));
    }

    void entriesOfMissingWindowsStayDisabledUntilConnected() {
        MainWindow frame;
        auto* view = frame.findChild<QAction*>("viewScheduleAction");
        auto* button = frame.findChild<QAction*>("viewScheduleButton");
        QVERIFY(!view->isEnabled());
        QVERIFY(!button->isEnabled());
        QVERIFY(frame.findChild<QAction*>("tileAction")->isEnabled());
        QVERIFY(frame.findChild<QAction*>("exitAction")->isEnabled());
        int opened = 0;
        frame.setCommandHandler(FrameCommand::ViewSchedule, [&opened] { ++opened; });
        QVERIFY(view->isEnabled());
        button->trigger();
        view->trigger();
        QCOMPARE(opened, 2);
    }

    void listButtonsNeedAFocusedListWindow() {
        MainWindow frame;
        auto* insert = frame.findChild<QAction*>("insertRecordButton");
        QVERIFY(insert);
        QCOMPARE(insert->toolTip(), QString("Insert a new Record"));
        int pressed = 0;
        frame.setCommandHandler(FrameCommand::ListInsert, [&pressed] { ++pressed; });
        QVERIFY(!insert->isEnabled());
        frame.setListFocus(true);
        QVERIFY(insert->isEnabled());
        insert->trigger();
        frame.setListFocus(false);
        QVERIFY(!insert->isEnabled());
        insert->trigger();
        QCOMPARE(pressed, 1);
    }

    void statusZonesAndMenuHelp() {
        MainWindow frame;
        frame.setStatusZone(2, "Next: Back up");
        QCOMPARE(frame.statusZone(2), QString("Next: Back up"));
        frame.findChild<QAction*>("exitAction")->showStatusText(&frame);
        QCOMPARE(frame.statusZone(1), QString("Close Chronomate"));
    }

    void trayMenuOffersStopOnlyWhileScriptsAreQueued() {
        MainWindow frame;
        bool queued = true;
        int emptied = 0;
        frame.setScriptControl({[&queued] { return queued; }, [&queued, &emptied] {
                                    queued = false;
                                    ++emptied;
                                }});
        QVERIFY(!trayTexts(frame).contains("&Stop Running Script"));
        frame.setScriptIndicator("*");
        QCOMPARE(frame.scriptIndicator(), QString("*"));
        QCOMPARE(trayTexts(frame).join('|'), QString("Add &Message|Add &Program|&View To Do|&Options|-|&Restore|-|"
                                                     "&About|&Stop Running Script|E&xit Chronomate"));
        frame.tray().menu()->findChild<QAction*>("trayStopScriptAction")->trigger();
        QCOMPARE(emptied, 1);
        QVERIFY(!trayTexts(frame).contains("&Stop Running Script"));
        // The indicator's click area empties the queue only while something is queued.
        frame.setScriptIndicator("*");
        queued = true;
        frame.findChild<QToolButton*>("scriptIndicator")->click();
        frame.findChild<QToolButton*>("scriptIndicator")->click();
        QCOMPARE(emptied, 2);
    }

    void withoutATrayMinimizingLeavesAnOrdinaryWindow() {
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.sendToTray();
        QVERIFY(!frame.tray().inTray());
        QVERIFY(frame.isVisible());
    }
};

QTEST_MAIN(FrameTest)
#include "frame_test.moc"
