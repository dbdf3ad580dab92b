#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "base/date.h"
#include "base/ini_file.h"
#include "base/time_of_day.h"
#include "script/ui/browse_window_lookup.h"
#include "script/ui/update_window_lookup.h"
#include "script/window_lookup_list.h"
#include "shell/placement.h"
#include "shell/settings.h"
#include "shell/ui/list_model.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"
#include "ui/screenshot.h"

using namespace cm;

namespace {

using Field = WindowLookupForm::Field;

constexpr const char* kTitles[] = {
    "Untitled - Notepad", "Calculator", "Inbox - Mail", "Terminal - bash", "Downloads", "Settings",
    "Music Player", "Weekly report.odt - LibreOffice Writer", "Calendar", "Chronomate 98 1.6a",
    "Archive Manager", "Budget 2026.ods", "Photos", "System Monitor", "Text Editor", "Videos",
    "Maps", "Contacts", "Backups", "Clocks", "Disks", "Fonts", "Help", "Image Viewer", "Logs",
    "Passwords and Keys", "Remote Desktop", "Screenshot", "Software Update", "Weather",
};

QString highlightedTitle(const ListWindow& w) {
    const int row = w.controller().highlighted();
    return row < 0 ? QString() : QString::fromStdString(w.controller().rows()[std::size_t(row)].cells[0]);
}

}  // namespace

class BrowseWindowLookupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<Table<WindowLookupRecord>> seed;
    test::FakeRuntime runtime;
    test::FakeClock clock{2026, 3, 10, 14, 5};
    Settings settings;

    void add(int count) {
        for (int i = 0; i < count; ++i) {
            seed->clear();
            seed->record() = {kTitles[i], Date::fromYmd(2026, 3, 1 + i % 28), Time::fromHms(8 + i % 12, i % 60)};
            QCOMPARE(seed->add(), 0);
        }
    }
    std::int64_t records() { return seed->records(); }

    std::unique_ptr<BrowseWindowLookup> open() {
        std::unique_ptr<BrowseWindowLookup> w(
            BrowseWindowLookup::create(runtime, clock, settings, dir->path() / "POSITION.INI"));
        if (!w) qFatal("the list did not open");
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get())) qWarning("not exposed");
        return w;
    }

    static QPushButton* button(QWidget* w, const char* name) {
        auto* b = w->findChild<QPushButton*>(name);
        if (!b) qFatal("no button %s", name);
        return b;
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        StoreFiles::setDataFolder(dir->path());
        seed = std::make_unique<Table<WindowLookupRecord>>(windowLookupLayout(), "CM97\\!WL");
        QCOMPARE(seed->create(), 0);
        QCOMPARE(seed->open(), 0);
        runtime = test::FakeRuntime();
        settings = Settings{};
    }
    void cleanup() {
        seed->close();
        seed.reset();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
        dir.reset();
    }

    void showsTitlesInTwoOrders() {
        add(5);
        settings.dateFormat = "d6";
        auto w = open();
        QCOMPARE(w->windowTitle(), QString("Browse the Window Lookup File"));
        QVERIFY(!w->windowIcon().isNull());
        QStringList headers, buttons;
        for (int c = 0; c < w->model()->columnCount(); ++c) headers << w->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Title", "Date", "Time"}));
        for (int i = 0; w->button(i); ++i) buttons << w->button(i)->text();
        QCOMPARE(buttons, (QStringList{"&Add", "&Edit", "&Delete", "Cl&ose"}));
        QCOMPARE(w->tabBar()->tabText(0), QString("Title"));
        QCOMPARE(w->tabBar()->tabText(1), QString("By Date"));

        // The date column takes the DateFormat setting's picture.
        QCOMPARE(w->model()->index(0, 0).data().toString(), QString("Calculator"));
        QCOMPARE(w->model()->index(0, 1).data().toString(), QString("02/03/2026"));
        QCOMPARE(w->model()->index(0, 2).data().toString(), QString("9:01AM"));
        w->tabBar()->setCurrentIndex(1);
        QCOMPARE(w->model()->index(0, 0).data().toString(), QString("Untitled - Notepad"));

        runtime.answerPopup(0);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, {5, 5}, w->view()->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w->view()->viewport(), &menu);
        QCOMPARE(runtime.popupMenus, std::vector<std::string>{"&Add|&Edit|&Delete"});

        QTest::mouseClick(button(w.get(), "closeButton"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }

    void designedDateColumnShowsWholeDates() {
        add(3);
        const std::filesystem::path ini = dir->path() / "POSITION.INI";
        // The first opening, and one after a session that ended before the list was closed: only
        // the design is stored then, and it is still the design, not the user's layout.
        for (const bool designStored : {false, true}) {
            std::filesystem::remove(ini);
            if (designStored)
                QVERIFY(IniFile(ini).write(WindowLookupList::kProcedure, Placement::kDesignedLayoutKey,
                                           WindowLookupList::design("d3").format));
            auto w = open();
            const int dateWidth = w->view()->fontMetrics().horizontalAdvance(w->model()->index(0, 1).data().toString());
            QVERIFY2(w->view()->horizontalHeader()->sectionSize(1) > dateWidth, designStored ? "stored" : "fresh");
        }
    }

    void addingADuplicateTitleKeepsTheFormOpen() {
        add(8);
        auto w = open();
        QTest::mouseClick(button(w.get(), "addButton"), Qt::LeftButton);
        UpdateWindowLookup* form = w->form();
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowTitle(), QString("Adding a WindowLookup Record"));
        QCOMPARE(form->field(Field::Date)->text(), QString("MAR 10,2026"));

        form->field(Field::Title)->setText("untitled - notepad");
        QTest::mouseClick(button(form, "okButton"), Qt::LeftButton);
        QCOMPARE(runtime.lastBox().request.text,
                 std::string("Adding this record creates a duplicate entry for the key:WL:KeyTitle"));
        QVERIFY(form->isVisible());
        QCOMPARE(records(), std::int64_t(8));

        form->field(Field::Title)->setText("Firefox");
        QTest::mouseClick(button(form, "okButton"), Qt::LeftButton);
        QTRY_VERIFY(!w->form());
        QCOMPARE(records(), std::int64_t(9));
        QCOMPARE(highlightedTitle(*w), QString("Firefox"));
        QCOMPARE(w->view()->currentIndex().row(), w->controller().highlighted());
    }

    void editingAndTheFormsDittoAndChecks() {
        add(8);
        auto w = open();
        const QRect row = w->view()->visualRect(w->model()->index(1, 0));
        QTest::mouseClick(w->view()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(w->view()->viewport(), Qt::LeftButton, {}, row.center());
        UpdateWindowLookup* form = w->form();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), QString("Changing a WindowLookup Record"));
        QCOMPARE(form->field(Field::Title)->text(), QString("Downloads"));

        form->field(Field::Time)->setText("half past");
        QTest::mouseClick(button(form, "okButton"), Qt::LeftButton);
        QCOMPARE(runtime.lastBox().request.title, std::string("Invalid Entry"));
        QVERIFY(form->isVisible());
        QCOMPARE(form->focusWidget(), form->field(Field::Time));

        form->field(Field::Title)->setText("Downloads - Files");
        form->field(Field::Time)->setText("6:45PM");
        QTest::mouseClick(button(form, "okButton"), Qt::LeftButton);
        QTRY_VERIFY(!w->form());
        QCOMPARE(highlightedTitle(*w), QString("Downloads - Files"));
        QCOMPARE(records(), std::int64_t(8));

        // The next form recalls the saved title with Ctrl+' in its own field only.
        QTest::keyClick(w->view(), Qt::Key_Insert);
        form = w->form();
        QVERIFY(form);
        QTest::keyClick(form->field(Field::Time), Qt::Key_Apostrophe, Qt::ControlModifier);
        QCOMPARE(form->field(Field::Time)->text(), QString("6:45PM"));
        QCOMPARE(form->field(Field::Title)->text(), QString());
        QTest::keyClick(form->field(Field::Title), Qt::Key_Apostrophe, Qt::ControlModifier);
        QCOMPARE(form->field(Field::Title)->text(), QString("Downloads - Files"));
        QTest::mouseClick(button(form, "cancelButton"), Qt::LeftButton);
        QTRY_VERIFY(!w->form());
        QCOMPARE(records(), std::int64_t(8));
    }

    void deletingConfirmsAndHighlightsTheNextRow() {
        add(8);
        auto w = open();
        w->controller().highlight(2);
        const QString doomed = highlightedTitle(*w);
        const QString next = QString::fromStdString(w->controller().rows()[3].cells[0]);

        runtime.answerNext(Button::Cancel);
        QTest::keyClick(w->view(), Qt::Key_Delete);
        QCOMPARE(runtime.lastBox().request.title, std::string("Confirm Delete"));
        QCOMPARE(records(), std::int64_t(8));
        QCOMPARE(highlightedTitle(*w), doomed);

        runtime.answerNext(Button::Ok);
        QTest::mouseClick(button(w.get(), "deleteButton"), Qt::LeftButton);
        QCOMPARE(records(), std::int64_t(7));
        QCOMPARE(highlightedTitle(*w), next);
        QVERIFY2(!w->form(), "deleting shows no form");
    }

    void screenshots() {
        add(30);
        auto w = open();
        w->controller().highlight(3);
        test::saveScreenshot(w.get(), "browse_window_lookup");
        QTest::keyClick(w->view(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(w->form());
        test::saveScreenshot(w->form(), "update_window_lookup");
        w->form()->reject();
    }
};

QTEST_MAIN(BrowseWindowLookupTest)
#include "browse_window_lookup_test.moc"
