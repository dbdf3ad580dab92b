#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "engine/task_deleter.h"
#include "shell/housekeeping.h"
#include "shell/options_rules.h"
#include "shell/settings.h"
#include "shell/settings_store.h"
#include "shell/ui/setup_window.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/tables/configuration_record.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"
#include "ui/screenshot.h"

using namespace cm;

namespace {

// The to-do button is the one driven here; tasks are never deleted.
class NoTaskDeleter final : public TaskDeleter {
public:
    bool deleteTask(const ScheduleRecord&) override { return false; }
    const StoreError& lastError() const override { return m_error; }

private:
    StoreError m_error;
};

}  // namespace

class SetupWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir;
    test::FakeRuntime runtime;
    std::unique_ptr<Table<ConfigurationRecord>> config;
    std::unique_ptr<Table<ScheduleRecord>> schedule;
    std::unique_ptr<Table<TodoRecord>> todo;
    std::unique_ptr<SettingsStore> store;
    NoTaskDeleter deleter;
    std::unique_ptr<Housekeeping> housekeeping;
    Settings settings;

    std::vector<TableHandle*> tables() { return {config.get(), schedule.get(), todo.get()}; }

    std::unique_ptr<SetupWindow> openWindow(OptionsController& options) {
        auto window = std::make_unique<SetupWindow>(options, *housekeeping);
        window->show();
        return window;
    }

    template <class W>
    static W* child(QWidget* window, const char* name) {
        auto* w = window->findChild<W*>(name);
        if (!w) qFatal("no widget %s", name);
        return w;
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        StoreFiles::setDataFolder(dir->path());
        config = std::make_unique<Table<ConfigurationRecord>>(configurationLayout(), "CM97\\!CF");
        schedule = std::make_unique<Table<ScheduleRecord>>(scheduleLayout(), "cm97\\!s");
        todo = std::make_unique<Table<TodoRecord>>(todoLayout(), "CM97\\!ToDo");
        for (TableHandle* t : tables()) {
            QCOMPARE(t->create(), 0);
            QCOMPARE(t->open(), 0);
        }
        store = std::make_unique<SettingsStore>(*config, runtime, SettingsFiles{dir->path(), dir->path() / "system.ini"});
        housekeeping = std::make_unique<Housekeeping>(runtime, *schedule, *todo, deleter, dir->path());
        settings = Settings{};
        store->loadSettings(settings);
        runtime.clearBoxes();
    }
    void cleanup() {
        housekeeping.reset();
        store.reset();
        for (TableHandle* t : tables()) t->close();
        config.reset();
        schedule.reset();
        todo.reset();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
        dir.reset();
    }

    void layoutAndRanges() {
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);
        QCOMPARE(window->windowTitle(), QString("Chronomate Setup (Preferences)"));
        auto* tabs = child<QTabWidget>(window.get(), "setupTabs");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i) names << tabs->tabText(i);
        QCOMPARE(names, QStringList({"Start Up", "General", "History", "Scripting", "Housekeeping"}));
        QCOMPARE(child<QPushButton>(window.get(), "okButton")->text(), QString("&OK"));
        QCOMPARE(child<QPushButton>(window.get(), "cancelButton")->text(), QString("Cancel"));

        auto* interval = child<QSpinBox>(window.get(), "sendInterval");
        QCOMPARE(std::pair(interval->minimum(), interval->maximum()), std::pair(50, 250));
        auto* burst = child<QSpinBox>(window.get(), "burstSize");
        QCOMPARE(std::pair(burst->minimum(), burst->maximum()), std::pair(1, 10));

        auto* dates = child<QComboBox>(window.get(), "dateFormat");
        QStringList entries;
        for (int i = 0; i < dates->count(); ++i) entries << dates->itemText(i);
        QCOMPARE(entries, QStringList({"Windows Default", "October 31, 1959", "OCT 31,1959", "10/31/59", "10/31/1959",
                                       "31 OCT 59", "31 OCT 1959", "31/10/59", "31/10/1959", "Windows Default 2"}));
        QCOMPARE(dates->currentText(), QString("OCT 31,1959"));

        for (QWidget* w : window->findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
                                     qobject_cast<QComboBox*>(w);
            if (interactive && w->parentWidget()->inherits("QAbstractSpinBox") == false)
                QVERIFY2(!w->objectName().isEmpty(), qPrintable(w->metaObject()->className()));
        }
    }

    void okStoresWithCorrections() {
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);
        child<QSpinBox>(window.get(), "repeatAlarmInterval")->setValue(3);
        child<QCheckBox>(window.get(), "logEvents")->setChecked(true);
        QVERIFY2(settings.logEvents, "a check box takes effect at once");
        child<QSpinBox>(window.get(), "sendInterval")->setValue(120);
        QCOMPARE(settings.scriptingDelay, 50);  // the Scripting tab waits for OK
        child<QComboBox>(window.get(), "dateFormat")->setCurrentText("10/31/59");

        QTest::mouseClick(child<QPushButton>(window.get(), "okButton"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(settings.repeatAlarmInterval, 5);
        QCOMPARE(store->getSetting("RepeatAlarmInterval"), std::string("5"));
        QCOMPARE(store->getSetting("LogEvents"), std::string("1"));
        QCOMPARE(store->getSetting("ScriptingDelay"), std::string("120"));
        QCOMPARE(settings.scriptingDelay, 120);
        QCOMPARE(store->getSetting("DateFormat"), std::string("d1"));
        QCOMPARE(runtime.boxes().size(), std::size_t{1});
        QCOMPARE(runtime.lastBox().request.title, std::string("Information"));
    }

    void cancelReloadsTheStoredValues() {
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);
        child<QCheckBox>(window.get(), "schedulerActive")->setChecked(false);
        child<QSpinBox>(window.get(), "historyExpires")->setValue(30);
        QVERIFY(!settings.startUpActive);
        QCOMPARE(settings.historyExpires, 30);

        QTest::mouseClick(child<QPushButton>(window.get(), "cancelButton"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QVERIFY(settings.startUpActive);
        QCOMPARE(settings.historyExpires, 0);
        QVERIFY(runtime.boxes().empty());

        // Closing the window by its frame is a Cancel too.
        OptionsController again(settings, *store, runtime);
        auto second = openWindow(again);
        child<QCheckBox>(second.get(), "noTray")->setChecked(true);
        second->close();
        QVERIFY(!settings.noTray);
    }

    void unknownPictureIsShownAsItself() {
        settings.dateFormat = "t7";
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);
        QCOMPARE(child<QComboBox>(window.get(), "dateFormat")->currentText(), QString("t7"));
        QTest::mouseClick(child<QPushButton>(window.get(), "okButton"), Qt::LeftButton);
        QCOMPARE(store->getSetting("DateFormat"), std::string("t7"));
        QVERIFY(runtime.boxes().empty());
    }

    void housekeepingButtonAsksThenActs() {
        todo->clear();
        todo->record().toDo = "Old item";
        QCOMPARE(todo->add(), 0);
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);

        runtime.answerNext(Button::No);
        QTest::mouseClick(child<QPushButton>(window.get(), "clearTodoList"), Qt::LeftButton);
        QCOMPARE(todo->records(), std::int64_t{1});
        runtime.answerNext(Button::Yes);
        QTest::mouseClick(child<QPushButton>(window.get(), "clearTodoList"), Qt::LeftButton);
        QCOMPARE(todo->records(), std::int64_t{0});
        QCOMPARE(runtime.lastBox().request.text, std::string("To Do list removed."));
        QVERIFY(window->isVisible());
    }

    void screenshots() {
        OptionsController options(settings, *store, runtime);
        auto window = openWindow(options);
        auto* tabs = child<QTabWidget>(window.get(), "setupTabs");
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            test::saveScreenshot(window.get(), "setup_" + QString::number(i));
        }
    }
};

QTEST_MAIN(SetupWindowTest)
#include "setup_window_test.moc"
