#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "base/ini_file.h"
#include "engine/event_log.h"
#include "engine/message_actions.h"
#include "engine/message_router.h"
#include "engine/task_actions.h"
#include "shell/settings.h"
#include "shell/ui/message_windows.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/recording_ports.h"
#include "support/temp_dir.h"
#include "ui/screenshot.h"

using namespace cm;

Q_DECLARE_METATYPE(cm::MessageWindowKind)

namespace {

ScheduleRecord messageTask(std::string description, std::string message, std::string path = {}) {
    ScheduleRecord task;
    task.taskType = "Display Message";
    task.description = std::move(description);
    task.message = std::move(message);
    task.path = std::move(path);
    return task;
}

template <class W>
W* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name) return qobject_cast<W*>(w);
    return nullptr;
}

QPushButton* button(QWidget* window, const char* name) {
    auto* b = window->findChild<QPushButton*>(name);
    if (!b) qFatal("no button %s", name);
    return b;
}

}  // namespace

class MessageWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<Table<ScheduleRecord>> schedule;
    std::unique_ptr<Table<TodoRecord>> todo;
    test::FakeClock clock{2026, 3, 5, 9, 0, 0};
    test::FakeRuntime runtime;
    test::RecordingSound sound;
    test::RecordingProcessLauncher launcher;
    Settings settings;
    std::unique_ptr<EventLog> log;
    std::unique_ptr<MessageActions> actions;
    std::unique_ptr<TaskActions> taskActions;
    std::unique_ptr<QtMessageSink> sink;
    std::unique_ptr<MessageRouter> router;
    std::unique_ptr<QMdiArea> area;

    MessageWindowServices services() {
        MessageWindowServices s{*actions, sound, clock, settings};
        s.router = router.get();
        return s;
    }

    std::vector<TodoRecord> todoItems() {
        std::vector<TodoRecord> out;
        if (todo->set(todo->keyIndex("TDO:KeyToDo")) != 0) return out;
        while (todo->next() == 0) out.push_back(todo->record());
        return out;
    }
    std::vector<ScheduleRecord> tasks() {
        std::vector<ScheduleRecord> out;
        if (schedule->set(schedule->keyIndex("SCH:KeyID")) != 0) return out;
        while (schedule->next() == 0) out.push_back(schedule->record());
        return out;
    }

    QWidget* openKind(MessageWindowKind kind, const TaskMessage& message) {
        switch (kind) {
            case MessageWindowKind::Child: return openShowMessage(message, services(), area.get());
            case MessageWindowKind::Modal: return openModalMessage(message, services(), nullptr);
            case MessageWindowKind::Reply: return openReplyMessage(message, services(), nullptr);
        }
        return nullptr;
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        StoreFiles::setDataFolder(dir->path());
        schedule = std::make_unique<Table<ScheduleRecord>>(scheduleLayout(), "cm97\\!s");
        todo = std::make_unique<Table<TodoRecord>>(todoLayout(), "CM97\\!ToDo");
        for (TableHandle* t : {static_cast<TableHandle*>(schedule.get()), static_cast<TableHandle*>(todo.get())}) {
            QCOMPARE(t->create(), 0);
            QCOMPARE(t->open(), 0);
        }
        settings = Settings{};
        sound = test::RecordingSound{};
        runtime.clearBoxes();
        launcher.calls.clear();
        log = std::make_unique<EventLog>(dir->path(), clock, settings);
        actions = std::make_unique<MessageActions>(*schedule, *todo, clock, runtime);
        taskActions = std::make_unique<TaskActions>(launcher, runtime, *log, dir->path());
        taskActions->setHelperFolder({});
        sink = std::make_unique<QtMessageSink>(MessageWindowServices{*actions, sound, clock, settings}, *taskActions);
        router = std::make_unique<MessageRouter>(*sink, runtime, *log, settings);
        sink->setRouter(router.get());
        area = std::make_unique<QMdiArea>();
        area->resize(900, 700);
        area->show();
        sink->setMdiArea(area.get());
    }
    void cleanup() {
        area.reset();
        QList<QPointer<QWidget>> windows;
        for (QWidget* w : QApplication::topLevelWidgets()) windows.append(w);
        for (const QPointer<QWidget>& w : windows) delete w.data();
        router.reset();
        sink.reset();
        taskActions.reset();
        actions.reset();
        log.reset();
        schedule->close();
        todo->close();
        schedule.reset();
        todo.reset();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
        dir.reset();
    }

    void buttonsStoreTheirRecords_data() {
        QTest::addColumn<MessageWindowKind>("kind");
        QTest::addColumn<QString>("todoText");
        QTest::newRow("child") << MessageWindowKind::Child << "&Add to To Do List";
        QTest::newRow("modal") << MessageWindowKind::Modal << "&Add to To Do List";
        QTest::newRow("reply") << MessageWindowKind::Reply << "&To Do";
    }
    void buttonsStoreTheirRecords() {
        QFETCH(MessageWindowKind, kind);
        QFETCH(QString, todoText);
        TaskMessage message{"Dentist", "Bring the forms\r\nand the card", "", "/tmp"};

        QPointer<QWidget> window = openKind(kind, message);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), QString("Message"));
        QCOMPARE(window->findChild<QLineEdit*>("messageTitle")->text(), QString("Dentist"));
        QCOMPARE(window->findChild<QPlainTextEdit*>("messageText")->toPlainText(),
                 QString("Bring the forms\nand the card"));
        QCOMPARE(button(window, "closeButton")->text(), QString("Cl&ose"));
        QCOMPARE(button(window, "snoozeButton")->text(), QString("&Snooze"));
        QCOMPARE(button(window, "todoButton")->text(), todoText);
        QCOMPARE(window->findChild<QPushButton*>("replyButton") != nullptr, kind == MessageWindowKind::Reply);
        if (kind != MessageWindowKind::Child) {
            auto* dialog = qobject_cast<QDialog*>(window.data());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
            QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        }

        QTest::mouseClick(button(window, "todoButton"), Qt::LeftButton);
        const std::vector<TodoRecord> items = todoItems();
        QCOMPARE(items.size(), std::size_t{1});
        QCOMPARE(items[0].toDo, std::string("Dentist"));
        QCOMPARE(items[0].notes, message.text);
        QCOMPARE(runtime.lastBox().request.title, std::string("Saved"));
        QVERIFY2(window && window->isVisible(), "the window stays open after a to-do");

        QTest::mouseClick(button(window, "snoozeButton"), Qt::LeftButton);
        const std::vector<ScheduleRecord> snoozed = tasks();
        QCOMPARE(snoozed.size(), std::size_t{1});
        QCOMPARE(snoozed[0].category, std::string("Snooze"));
        QCOMPARE(snoozed[0].description, std::string("Dentist"));
        QCOMPARE(snoozed[0].time, clock.current().plusHundredths(60000).time);
        QTRY_VERIFY2(!window, "snooze closes the window");
    }

    void replyButtonWaitsForQuickAdd() {
        TaskMessage message{"Answer", "text", "", "/srv/team"};
        QWidget* without = openReplyMessage(message, services(), nullptr);
        QVERIFY(!button(without, "replyButton")->isEnabled());

        std::vector<std::string> replies;
        MessageWindowServices s = services();
        s.reply = [&replies](const std::string& path) { replies.push_back(path); };
        QWidget* with = openReplyMessage(message, s, nullptr);
        QTest::mouseClick(button(with, "replyButton"), Qt::LeftButton);
        QCOMPARE(replies, std::vector<std::string>{"/srv/team"});
        QVERIFY(with->isVisible());
    }

    void childWindowsCountInAndOutUpToTheLimit() {
        for (int i = 0; i < MessageRouter::kWindowLimit; ++i) router->showTaskMessage(messageTask("T", "m"));
        QCOMPARE(router->openWindows(), 60);
        QCOMPARE(area->subWindowList().size(), 60);
        QVERIFY(runtime.boxes().empty());

        router->showTaskMessage(messageTask("Over", "the limit   "));
        QCOMPARE(area->subWindowList().size(), 60);
        QCOMPARE(runtime.boxes().size(), std::size_t{1});
        QCOMPARE(runtime.lastBox().request.text, std::string("the limit"));
        QVERIFY(runtime.lastBox().request.owner == Owner::Frame);

        QTest::mouseClick(button(area->subWindowList().first(), "closeButton"), Qt::LeftButton);
        QCOMPARE(router->openWindows(), 59);
        area->subWindowList().first()->close();
        QCOMPARE(router->openWindows(), 58);
        router->showTaskMessage(messageTask("Again", "m"));
        QCOMPARE(router->openWindows(), 59);
    }

    void otherRoutes() {
        settings.useWinMessage = true;
        router->showTaskMessage(messageTask("Plain", "In a box"));
        auto* box = topLevel<QMessageBox>("plainMessageBox");
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->windowTitle(), QString("Plain"));
        QCOMPARE(box->text(), QString("In a box"));
        QCOMPARE(router->openWindows(), 0);
        box->close();

        settings.useWinMessage = false;
        settings.useExternalMessage = true;
        router->showTaskMessage(messageTask("Ext", "Say \"hi\"  "));
        QCOMPARE(launcher.calls.size(), std::size_t{1});
        QCOMPARE(launcher.calls[0].program, std::string("CMMsg"));
        QCOMPARE(launcher.calls[0].arguments, std::vector<std::string>{"Say \"hi\""});
        QCOMPARE(area->subWindowList().size(), 0);

        settings.useExternalMessage = false;
        router->showTaskMessage(messageTask("Reply", "m", "Reply to:/srv/team"));
        auto* reply = topLevel<QDialog>("replyMessageWindow");
        QVERIFY(reply && reply->isVisible());
        QCOMPARE(router->openWindows(), 0);
    }

    void repeatAlarm_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("alarm");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("beeps");
        QTest::newRow("file") << 5 << "ring.wav" << 2 << 0;
        QTest::newRow("beep") << 5 << "beep" << 0 << 2;
        QTest::newRow("no repeat") << 0 << "ring.wav" << 0 << 0;
        QTest::newRow("no file") << 5 << "" << 0 << 0;
    }
    void repeatAlarm() {
        QFETCH(int, interval);
        QFETCH(QString, alarm);
        QFETCH(int, plays);
        QFETCH(int, beeps);
        settings.repeatAlarmInterval = interval;
        QPointer<QWidget> window = openShowMessage({"Ring", "m", alarm.toStdString(), ""}, services(), area.get());
        const auto rang = [this] { return static_cast<int>(sound.played.size()) + sound.beeps; };

        clock.advanceSeconds(5);  // due only once the interval has passed
        QTest::qWait(3 * MessagePanel::kAlarmCheckMs);
        QCOMPARE(rang(), 0);
        clock.advanceSeconds(1);
        QTRY_COMPARE_WITH_TIMEOUT(rang(), std::min(1, plays + beeps), 2000);
        clock.advanceSeconds(4);
        QTest::qWait(3 * MessagePanel::kAlarmCheckMs);
        clock.advanceSeconds(2);
        QTRY_COMPARE_WITH_TIMEOUT(rang(), plays + beeps, 2000);
        QCOMPARE(static_cast<int>(sound.played.size()), plays);
        QCOMPARE(sound.beeps, beeps);
        if (plays) QCOMPARE(sound.played.back(), std::string("ring.wav"));

        window->close();
        clock.advanceSeconds(60);
        QTest::qWait(3 * MessagePanel::kAlarmCheckMs);
        QCOMPARE(rang(), plays + beeps);
    }

    void showMessageRemembersItsPlacement() {
        MessageWindowServices s = services();
        s.positionIni = dir->path() / "POSITION.INI";
        QWidget* first = openShowMessage({"Where", "m", "", ""}, s, area.get());
        first->setGeometry(40, 30, 420, 260);
        first->close();
        QCOMPARE(IniFile(s.positionIni).read("ShowMessage", "XPosit"), std::string("40"));

        QWidget* second = openShowMessage({"Where", "m", "", ""}, s, area.get());
        QCOMPARE(second->pos(), QPoint(40, 30));
        QCOMPARE(second->size(), QSize(420, 260));
    }

    void screenshots() {
        const std::string text =
            "Team meeting in room 4.\nBring the quarterly figures and the draft of the travel policy.";
        QWidget* child = openShowMessage({"Team meeting", text, "", ""}, services(), area.get());
        test::saveScreenshot(child, "show_message");
        test::saveScreenshot(openModalMessage({"Team meeting", text, "", ""}, services(), nullptr), "modal_message");
        test::saveScreenshot(openReplyMessage({"Reply to Ann", text, "", "/srv"}, services(), nullptr),
                             "reply_message");
        test::saveScreenshot(openPlainMessageBox({"Team meeting", text, "", ""}, nullptr), "plain_message");
    }
};

QTEST_MAIN(MessageWindowsTest)
#include "message_windows_test.moc"
