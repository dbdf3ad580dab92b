#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "base/date.h"
#include "base/ini_file.h"
#include "shell/placement.h"
#include "shell/ui/list_focus_hub.h"
#include "shell/ui/list_model.h"
#include "shell/ui/list_window.h"
#include "shell/ui/main_window.h"
#include "store/store_connection.h"
#include "store/table_name.h"
#include "store/tables/window_lookup_record.h"
#include "store/warning_reporter.h"
#include "support/fake_runtime.h"
#include "support/temp_dir.h"

using namespace cm;

namespace {

constexpr const char* kTable = "CM97\\!WL";
// A title, an icon column (a check for titles with a date) and the date.
constexpr const char* kFormat = "100L(2)|M~Title~@s70@12C|I~~60R(2)|M~Date~C(0)@d6@";

ListDesign testDesign(Table<WindowLookupRecord>& table, std::string format) {
    ListDesign d;
    d.format = std::move(format);
    d.fields = {"WL:Title", "", "WL:Date"};
    d.cells = [&table](std::vector<std::string>& cells) { cells[1] = table.record().date ? "~check.ico" : ""; };
    d.tabs = {{"Title", "WL:KeyTitle", {}, {}}, {"By Date", "WL:KeyDate", {}, {}}};
    d.buttons = {
        {"&Add", ListAction::Insert, 0, false, true, false},
        {"&Edit", ListAction::Change, 0, true, true, false},
        {"&Delete", ListAction::Delete, 0, true, true, false},
        {"&Mark", ListAction::Other, 7, true, true, true},
    };
    return d;
}

// A list window that only records what its buttons asked for.
class TestList final : public ListWindow {
public:
    TestList(Runtime& runtime, std::filesystem::path ini, std::string format = kFormat, QWidget* parent = nullptr)
        : ListWindow(runtime, std::move(ini), parent), m_reporter(runtime) {
        if (m_table.open() != 0) qFatal("the list's table did not open");
        ListWindowSetup setup;
        setup.procedure = "BrowseTest";
        setup.caption = "Test List";
        setup.icon = "WINPYR.ICO";
        setup.helpTopic = "scripts";
        setup.lines = 10;
        build(std::make_unique<ListController>(m_table, testDesign(m_table, std::move(format)), m_reporter),
              std::move(setup));
    }
    std::vector<std::pair<FormMode, std::int64_t>> forms;
    std::vector<int> others;

protected:
    void openForm(FormMode mode, std::int64_t record) override { forms.emplace_back(mode, record); }
    void otherButton(int id) override { others.push_back(id); }

private:
    Table<WindowLookupRecord> m_table{windowLookupLayout(), kTable};
    WarningReporter m_reporter;
};

QString cell(const ListWindow& w, int row, int column = 0) {
    return w.model()->index(row, column).data().toString();
}

QString titleNumber(int n) { return QString("Title %1").arg(n, 2, 10, QChar('0')); }

QString highlightedTitle(const ListWindow& w) {
    const int row = w.controller().highlighted();
    return row < 0 ? QString() : QString::fromStdString(w.controller().rows()[std::size_t(row)].cells[0]);
}

}  // namespace

class ListWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<Table<WindowLookupRecord>> seed;
    test::FakeRuntime runtime;

    std::filesystem::path ini() const { return dir->path() / "POSITION.INI"; }

    // "Title 01" .. "Title nn", every other one with a date.
    void addTitles(int count) {
        for (int i = 1; i <= count; ++i) {
            seed->clear();
            seed->record().title = titleNumber(i).toStdString();
            seed->record().date = i % 2 ? Date::fromYmd(2026, 1, i % 28 + 1) : 0;
            QCOMPARE(seed->add(), 0);
        }
    }
    void add(const char* title) {
        seed->clear();
        seed->record().title = title;
        QCOMPARE(seed->add(), 0);
    }

    std::unique_ptr<TestList> shown(std::string format = kFormat) {
        auto w = std::make_unique<TestList>(runtime, ini(), std::move(format));
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get())) qWarning("not exposed");
        return w;
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        StoreFiles::setDataFolder(dir->path());
        seed = std::make_unique<Table<WindowLookupRecord>>(windowLookupLayout(), kTable);
        QCOMPARE(seed->create(), 0);
        QCOMPARE(seed->open(), 0);
        runtime = test::FakeRuntime();
    }
    void cleanup() {
        seed->close();
        seed.reset();
        StoreConnection::closeIdle();
        StoreFiles::setDataFolder({});
        dir.reset();
    }

    void modelPassesTheTesterAndShowsTheFormat() {
        addTitles(12);
        Table<WindowLookupRecord> table(windowLookupLayout(), kTable);
        QCOMPARE(table.open(), 0);
        WarningReporter reporter(runtime);
        ListController controller(table, testDesign(table, kFormat), reporter);
        ListModel model(controller);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);

        controller.setPageSize(5);
        controller.open();
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Title"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString("Date"));
        QCOMPARE(model.headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignHCenter);
        QCOMPARE(model.index(0, 0).data().toString(), QString("Title 01"));
        QCOMPARE(model.index(0, 2).data().toString(), QString("02/01/2026"));
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                 Qt::AlignRight);
        // The icon column shows a picture, not its name; undated rows have none.
        QVERIFY(model.index(0, 1).data().isNull());
        QVERIFY(!model.index(0, 1).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model.index(1, 1).data(Qt::DecorationRole).isNull());

        // Scrolling, paging, a shorter page at the end and another order, all under the tester.
        controller.lineDown();
        controller.pageDown();
        controller.bottom();
        QCOMPARE(model.index(4, 0).data().toString(), QString("Title 12"));
        controller.setPageSize(20);
        QCOMPARE(model.rowCount(), 12);
        controller.selectTab(1);
        // Undated titles come first by date.
        QCOMPARE(model.index(0, 0).data().toString(), QString("Title 02"));
        table.close();
    }

    void keysMoveTheHighlightAndPressTheButtons() {
        addTitles(30);
        add("Mail");
        add("Music");
        auto w = shown();
        QTableView* view = w->view();
        const int lines = view->viewport()->height() / view->verticalHeader()->defaultSectionSize();
        QCOMPARE(w->controller().pageSize(), lines);
        QCOMPARE(w->model()->rowCount(), lines);
        QCOMPARE(view->verticalScrollBar()->isVisible(), false);

        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(view->currentIndex().row(), 1);
        QCOMPARE(highlightedTitle(*w), QString("Music"));
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(highlightedTitle(*w), QString("Title 30"));
        QCOMPARE(view->currentIndex().row(), lines - 1);
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(highlightedTitle(*w), QString("Mail"));
        // A typed letter goes to the first title at or after it; again, to the next such title.
        QTest::keyClicks(view, "t");
        QCOMPARE(highlightedTitle(*w), QString("Title 01"));
        QTest::keyClicks(view, "m");
        QCOMPARE(highlightedTitle(*w), QString("Mail"));
        QTest::keyClicks(view, "m");
        QCOMPARE(highlightedTitle(*w), QString("Music"));

        const std::int64_t music = w->controller().rows()[std::size_t(w->controller().highlighted())].recordNumber;
        QTest::keyClick(view, Qt::Key_Insert);
        QTest::keyClick(view, Qt::Key_Delete);
        QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Return);  // Enter alone is not an edit
        const QRect third = view->visualRect(w->model()->index(2, 0));
        // A real double click: a click, then the second press as a double click.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(highlightedTitle(*w), QString("Title 01"));
        const std::int64_t title01 = w->controller().rows()[2].recordNumber;
        const std::vector<std::pair<FormMode, std::int64_t>> expected = {
            {FormMode::Insert, 0}, {FormMode::Delete, music}, {FormMode::Change, music}, {FormMode::Change, title01}};
        QCOMPARE(w->forms, expected);

        // Taller window, longer page; the wheel moves three lines a notch.
        w->resize(w->width(), w->height() + 4 * view->verticalHeader()->defaultSectionSize());
        QTRY_COMPARE(w->controller().pageSize(), lines + 4);
        QCOMPARE(w->model()->rowCount(), lines + 4);
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QCOMPARE(w->controller().highlighted(), 2 + QApplication::wheelScrollLines());
    }

    void buttonsAndMenuFollowTheRows() {
        auto w = shown();
        QStringList texts;
        for (int i = 0; w->button(i); ++i) texts << w->button(i)->text();
        QCOMPARE(texts, (QStringList{"&Add", "&Edit", "&Delete", "&Mark"}));
        QCOMPARE(w->button(3)->objectName(), QString("markButton"));
        const auto enabled = [&w] {
            QList<bool> out;
            for (int i = 0; w->button(i); ++i) out << w->button(i)->isEnabled();
            return out;
        };
        QCOMPARE(enabled(), (QList<bool>{true, false, false, false}));

        // Greyed entries are offered but do nothing when chosen.
        QContextMenuEvent empty(QContextMenuEvent::Mouse, {5, 5}, w->view()->viewport()->mapToGlobal(QPoint(5, 5)));
        runtime.answerPopup(2);
        QApplication::sendEvent(w->view()->viewport(), &empty);
        QCOMPARE(runtime.popupMenus, (std::vector<std::string>{"&Add|~&Edit|~&Delete|-|~&Mark"}));
        QVERIFY(w->forms.empty());

        addTitles(5);
        w->controller().refresh();
        QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));
        // A right click highlights the row under it; the entry acts as its button.
        const QPoint row3 = w->view()->visualRect(w->model()->index(3, 0)).center();
        QContextMenuEvent onRow(QContextMenuEvent::Mouse, row3, w->view()->viewport()->mapToGlobal(row3));
        runtime.answerPopup(4);
        QApplication::sendEvent(w->view()->viewport(), &onRow);
        QCOMPARE(runtime.popupMenus.back(), std::string("&Add|&Edit|&Delete|-|&Mark"));
        QCOMPARE(highlightedTitle(*w), QString("Title 04"));
        QCOMPARE(w->others, std::vector<int>{7});

        QTest::mouseClick(w->button(1), Qt::LeftButton);
        QCOMPARE(w->forms.size(), std::size_t(1));
        QCOMPARE(w->forms[0].first, FormMode::Change);
        QCOMPARE(w->forms[0].second, w->controller().rows()[3].recordNumber);

        // The other order is a tab; the page starts over in it.
        QTabBar* tabs = w->tabBar();
        QVERIFY(tabs);
        QCOMPARE(tabs->tabText(1), QString("By Date"));
        tabs->setCurrentIndex(1);
        QCOMPARE(w->controller().tab(), 1);
        QCOMPARE(cell(*w, 0), QString("Title 02"));
    }

    void thumbFollowsAndDrivesThePage() {
        addTitles(30);
        auto w = shown();
        QScrollBar* thumb = w->thumb();
        QCOMPARE(std::pair(thumb->minimum(), thumb->maximum()), std::pair(1, 100));
        QCOMPARE(thumb->value(), 1);

        thumb->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(highlightedTitle(*w), QString("Title 30"));
        QCOMPARE(thumb->value(), w->controller().thumbPosition());
        thumb->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(highlightedTitle(*w), QString("Title 01"));
        thumb->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(highlightedTitle(*w), QString("Title 02"));
        thumb->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w->controller().highlighted(), 1);
        QCOMPARE(cell(*w, 1), titleNumber(2 + w->controller().pageSize()));
    }

    void draggingTheThumbGoesWhereItIsLetGo() {
        // Letters, so that the thumb's capitals spread over the titles.
        QStringList titles;
        for (char c = 'A'; c <= 'Z'; ++c) {
            titles << QString("%1 window").arg(c);
            add(titles.back().toUtf8().constData());
        }
        auto w = shown();
        QScrollBar* thumb = w->thumb();
        const QString before = cell(*w, 0);
        thumb->setSliderDown(true);
        thumb->setSliderPosition(60);
        QCOMPARE(cell(*w, 0), before);
        thumb->setSliderDown(false);
        QCOMPARE(thumb->value(), 60);
        const QString sought = QString::fromStdString(std::get<std::string>(w->controller().thumb().entry(60)));
        QString expected;
        for (const QString& t : titles)
            if (t.toUpper() >= sought) {
                expected = t;
                break;
            }
        QVERIFY(!expected.isEmpty());
        QCOMPARE(highlightedTitle(*w), expected);
    }

    void columnLayoutIsRememberedUntilTheDesignChanges() {
        addTitles(3);
        {
            auto w = shown();
            QHeaderView* header = w->view()->horizontalHeader();
            QCOMPARE(header->sectionSize(0), w->dialogUnitsToPixels(100));
            QCOMPARE(header->sectionResizeMode(1), QHeaderView::Fixed);
            header->resizeSection(0, w->dialogUnitsToPixels(140));
            w->close();
        }
        IniFile file(ini());
        QCOMPARE(QString::fromStdString(file.read("BrowseTest", Placement::kColumnLayoutKey)),
                 QString("140L(2)|M~Title~@s70@12C|I~~60R(2)|M~Date~C(0)@d6@"));
        {
            auto w = shown();
            QCOMPARE(w->view()->horizontalHeader()->sectionSize(0), w->dialogUnitsToPixels(140));
            w->close();
        }
        // Another date format is another design: its columns come as designed, once.
        const std::string otherDates = "100L(2)|M~Title~@s70@12C|I~~60R(2)|M~Date~C(0)@d1@";
        {
            auto w = shown(otherDates);
            QCOMPARE(w->view()->horizontalHeader()->sectionSize(0), w->dialogUnitsToPixels(100));
            w->view()->horizontalHeader()->resizeSection(2, w->dialogUnitsToPixels(80));
            w->close();
        }
        {
            auto w = shown(otherDates);
            QCOMPARE(w->view()->horizontalHeader()->sectionSize(2), w->dialogUnitsToPixels(80));
            QCOMPARE(cell(*w, 0, 2), QString("01/02/26"));
        }
        // A damaged layout is passed over.
        QVERIFY(file.write("BrowseTest", Placement::kColumnLayoutKey, "garbage"));
        auto w = shown(otherDates);
        QCOMPARE(w->view()->horizontalHeader()->sectionSize(2), w->dialogUnitsToPixels(60));
    }

    void subwindowPlacementIsRemembered() {
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        auto* first = new TestList(runtime, ini());
        QMdiSubWindow* sub = first->showIn(area);
        QCOMPARE(first->placementWidget(), sub);
        sub->setGeometry(40, 30, 500, 320);
        sub->close();
        QCOMPARE(QString::fromStdString(IniFile(ini()).read("BrowseTest", Placement::kWidthKey)), QString("500"));

        auto* second = new TestList(runtime, ini());
        QMdiSubWindow* again = second->showIn(area);
        QCOMPARE(again->geometry(), QRect(40, 30, 500, 320));
        again->close();
    }

    void frameButtonsActOnTheActiveList() {
        addTitles(30);
        MainWindow frame;
        frame.setRuntime(&runtime);
        new ListFocusHub(frame);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QVERIFY(!frame.listFocus());

        auto* list = new TestList(runtime, ini());
        QPointer<QMdiSubWindow> sub = list->showIn(*frame.mdiArea());
        frame.mdiArea()->setActiveSubWindow(sub);
        QTRY_VERIFY(frame.listFocus());
        QVERIFY(frame.trigger(FrameCommand::ListNextRecord));
        QCOMPARE(highlightedTitle(*list), QString("Title 02"));
        QVERIFY(frame.trigger(FrameCommand::ListLastPage));
        QCOMPARE(highlightedTitle(*list), QString("Title 30"));
        QVERIFY(frame.trigger(FrameCommand::ListFirstPage));
        QVERIFY(frame.trigger(FrameCommand::ListNextPage));
        QCOMPARE(highlightedTitle(*list), titleNumber(1 + list->controller().pageSize()));
        QVERIFY(frame.trigger(FrameCommand::ListDelete));
        QVERIFY(frame.trigger(FrameCommand::ListHelp));
        QCOMPARE(list->forms.size(), std::size_t(1));
        QCOMPARE(list->forms[0].first, FormMode::Delete);
        QCOMPARE(runtime.helpTopics, std::vector<std::string>{"scripts"});

        sub->close();
        QTRY_VERIFY(!sub);
        QTRY_VERIFY(!frame.listFocus());
        QVERIFY(!frame.trigger(FrameCommand::ListInsert));
    }
};

QTEST_MAIN(ListWindowTest)
#include "list_window_test.moc"
