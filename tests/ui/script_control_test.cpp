#include <QAction>
#include <QMenu>
#include <QtTest>

#include "app/desktop_program.h"
#include "engine/event_log.h"
#include "engine/task_actions.h"
#include "shell/script_wiring.h"
#include "shell/settings.h"
#include "shell/ui/frame_tray.h"
#include "shell/ui/main_window.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/fake_timers.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"

using namespace cm;
using namespace cm::test;

namespace {

bool trayOffersStop(const MainWindow& frame) {
    for (QAction* a : frame.tray().menu()->actions())
        if (a->text() == QLatin1String("&Stop Running Script")) return true;
    return false;
}

}  // namespace

// The frame's script controls on the real queue, as the desktop program connects them.
class ScriptControlTest : public QObject {
    Q_OBJECT
private slots:
    void trayStopEmptiesTheQueueItWasShownFor() {
        TempDir dir;
        StoreFiles::setDataFolder(dir.path());
        {
            FakeClock clock(2024, 3, 4, 9);
            FakeTimers timers(&clock);
            FakeRuntime runtime;
            Settings settings;
            EventLog log(dir.path(), clock, settings);
            RecordingProcessLauncher launcher;
            TaskActions actions(launcher, runtime, log, dir.path());
            RecordingDde dde;
            RecordingKeyboard keyboard;
            FakeWindowSystem windows;
            ScriptWiring scripts(ScriptPorts{runtime, clock, timers, settings, log, actions, dde, &keyboard, &windows});
            QVERIFY(scripts.open());
            ScriptingRecord& step = scripts.scripting().record();
            step.id = 7;
            step.sequence = 1;
            step.action = "Send Keystrokes";
            step.keyStrokes = "abc";
            QCOMPARE(scripts.scripting().add(), 0);

            MainWindow frame;
            connectScriptControl(frame, scripts);
            QVERIFY(!trayOffersStop(frame));
            scripts.loadTaskScript(7);
            QCOMPARE(scripts.queue().size(), std::size_t(2));
            QVERIFY(trayOffersStop(frame));
            QCOMPARE(frame.scriptIndicator(), QString("*"));

            frame.tray().menu()->findChild<QAction*>("trayStopScriptAction")->trigger();
            QVERIFY(scripts.queue().empty());
            QVERIFY(!trayOffersStop(frame));
            QCOMPARE(frame.scriptIndicator(), QString());
        }
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
    }
};

QTEST_MAIN(ScriptControlTest)
#include "script_control_test.moc"
