#include "shell/ui/text_viewer_window.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>
#include <fstream>
#include <memory>

#include "base/ini_file.h"
#include "script/key_codes_file.h"
#include "shell/ui/progress_window.h"
#include "support/fake_runtime.h"
#include "support/fake_timers.h"
#include "support/temp_dir.h"
#include "ui/screenshot.h"

using namespace cm;

class TextViewerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir;
    test::FakeRuntime runtime;
    test::FakeTimers timers;
    std::unique_ptr<QMainWindow> frame;
    QMdiArea* area = nullptr;

    std::filesystem::path logFile() const { return *dir / "CM97Evnt.LOG"; }
    TextViewerServices services() { return {runtime, timers, *dir / "POSITION.INI"}; }

    void writeLog(int lines) {
        std::ofstream out(logFile(), std::ios::binary | std::ios::trunc);
        for (int i = 1; i <= lines; ++i)
            out << "2026-03-05  17:30:45  Message                       line " << i << (i % 7 == 0 ? " cat" : "")
                << "\r\n";
    }

    QMdiSubWindow* openLog() {
        const std::string file = logFile().string();
        auto* window = qobject_cast<QMdiSubWindow*>(openViewLog(
            services(), [file] { return file; }, area));
        if (!window) qFatal("the viewer is no MDI child");
        return window;
    }

    static TextViewerWindow* viewerOf(QMdiSubWindow* window) {
        auto* viewer = qobject_cast<TextViewerWindow*>(window->widget());
        if (!viewer) qFatal("no viewer in the subwindow");
        return viewer;
    }

    template <class W>
    static W* child(QObject* window, const char* name) {
        auto* w = window->findChild<W*>(name);
        if (!w) qFatal("no widget %s", name);
        return w;
    }

    void loadToTheEnd() {
        while (timers.fireNext()) {
        }
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init() {
        dir = std::make_unique<test::TempDir>();
        runtime.clearBoxes();
        frame = std::make_unique<QMainWindow>();
        area = new QMdiArea(frame.get());
        frame->setCentralWidget(area);
        frame->resize(1000, 700);
        frame->show();
    }

    void cleanup() { frame.reset(); }

    void loadsBehindAProgressWindowThatDisablesOnlyTheViewer() {
        writeLog(600);
        QMdiSubWindow* window = openLog();
        TextViewerWindow* viewer = viewerOf(window);
        QAbstractItemModelTester tester(viewer->list()->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);

        auto* progress = frame->findChild<ProgressWindow*>("progressWindow");
        QVERIFY(progress);
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->windowTitle(), QString("Reading File"));
        QCOMPARE(progress->header(), QString("View Log"));
        QCOMPARE(progress->percentText(), QString("0% Completed"));
        QCOMPARE(child<QPushButton>(progress, "cancelButton")->text(), QString("Cancel"));
        QVERIFY(!window->isEnabled());
        QVERIFY(frame->isEnabled());
        test::saveScreenshot(frame.get(), "view_log_loading");
        test::saveScreenshot(progress, "reading_file");

        timers.fireNext();
        QCOMPARE(progress->percentText(), QString(" 53% Completed"));
        QCOMPARE(progress->percent(), 53);
        loadToTheEnd();
        QVERIFY(!frame->findChild<ProgressWindow*>("progressWindow"));
        QVERIFY(window->isEnabled());

        QCOMPARE(window->windowTitle(), QString("View Log"));
        QListView* list = child<QListView>(viewer, "textLines");
        QVERIFY(list->isEnabled());
        QCOMPARE(list->model()->rowCount(), 600);
        QCOMPARE(list->model()->index(0, 0).data().toString(),
                 QString("2026-03-05  17:30:45  Message                       line 1"));
        const QFontMetrics metrics(list->font());
        QCOMPARE(metrics.horizontalAdvance("iiii"), metrics.horizontalAdvance("MMMM"));
        QVERIFY(!child<QPushButton>(viewer, "findNextButton")->isEnabled());
        test::saveScreenshot(frame.get(), "view_log");

        // A second "View Log" brings this window forward rather than opening another.
        QCOMPARE(openLog(), window);
        QCOMPARE(area->subWindowList().size(), 1);
    }

    void findWindowDrivesTheSearchAndEnablesFindNext() {
        writeLog(30);
        QMdiSubWindow* window = openLog();
        loadToTheEnd();
        TextViewerWindow* viewer = viewerOf(window);
        QListView* list = child<QListView>(viewer, "textLines");

        QTest::mouseClick(child<QPushButton>(viewer, "findButton"), Qt::LeftButton);
        auto* find = viewer->findChild<FindTextWindow*>("findTextWindow");
        QVERIFY(find);
        QCOMPARE(find->windowTitle(), QString("Searching Text..."));
        auto* what = child<QLineEdit>(find, "findWhat");
        QCOMPARE(what->text(), QString());
        QCOMPARE(what->maxLength(), 80);
        QVERIFY(child<QRadioButton>(find, "directionDown")->isChecked());
        auto* findButton = child<QPushButton>(find, "findButton");
        QVERIFY(!findButton->isEnabled());
        test::saveScreenshot(find, "find_text");
        QTest::keyClicks(what, "CAT");
        child<QCheckBox>(find, "matchWholeWord")->setChecked(true);
        QTest::mouseClick(findButton, Qt::LeftButton);
        QApplication::processEvents();

        QCOMPARE(list->currentIndex().row(), 6);
        QCOMPARE(viewer->viewer().selected(), std::optional<std::size_t>(6));
        auto* findNext = child<QPushButton>(viewer, "findNextButton");
        QVERIFY(findNext->isEnabled());
        QTest::mouseClick(findNext, Qt::LeftButton);
        QCOMPARE(list->currentIndex().row(), 13);

        // The list's own selection is where the next search starts.
        list->setCurrentIndex(list->model()->index(27, 0));
        runtime.answerNext(Button::Yes);
        QTest::mouseClick(findNext, Qt::LeftButton);
        QCOMPARE(runtime.lastBox().request.title, std::string("End of File Error"));
        QCOMPARE(list->currentIndex().row(), 6);

        // Opened again it is empty, and Cancel leaves Find Next as it was.
        QTest::mouseClick(child<QPushButton>(viewer, "findButton"), Qt::LeftButton);
        find = viewer->findChild<FindTextWindow*>("findTextWindow");
        QCOMPARE(child<QLineEdit>(find, "findWhat")->text(), QString());
        QTest::mouseClick(child<QPushButton>(find, "cancelButton"), Qt::LeftButton);
        QVERIFY(findNext->isEnabled());
    }

    void printsEveryLineOnNumberedPages() {
        writeLog(150);
        TextViewerWindow* viewer = viewerOf(openLog());
        loadToTheEnd();

        const QString pdf = QString::fromStdString((*dir / "log.pdf").string());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        viewer->render(&printer);

        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype pages = QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page(?!s)"));
        // 150 lines at about 70 a page.
        QVERIFY2(pages >= 2 && pages <= 4, qPrintable(QString::number(pages)));
        const QString review = qEnvironmentVariable("CHRONOMATE_SCREENSHOTS");
        if (!review.isEmpty()) QFile::copy(pdf, QDir(review).filePath("view_log.pdf"));
    }

    void placementIsSavedOnCloseAndRestoredOnOpen() {
        writeLog(3);
        QMdiSubWindow* window = openLog();
        loadToTheEnd();
        window->move(40, 30);
        window->resize(700, 400);
        QTest::mouseClick(child<QPushButton>(viewerOf(window), "closeButton"), Qt::LeftButton);
        QApplication::processEvents();
        QVERIFY(area->subWindowList().isEmpty());

        const IniFile ini(*dir / "POSITION.INI");
        QCOMPARE(ini.read("ViewLog", "XPosit"), std::string("40"));
        QCOMPARE(ini.read("ViewLog", "Width"), std::string("700"));

        window = openLog();
        loadToTheEnd();
        QCOMPARE(window->pos(), QPoint(40, 30));
        QCOMPARE(window->size(), QSize(700, 400));
    }

    void keyListShowsTheInstalledFileOrItsLoadError() {
        auto* window = qobject_cast<QMdiSubWindow*>(openViewScriptKeys(services(), dir->path(), area));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QString("List of Key Abbreviations"));
        QCOMPARE(runtime.boxes().size(), std::size_t(2));
        QCOMPARE(runtime.lastBox().request.title, std::string("File Load Error"));
        QVERIFY(!child<QListView>(viewerOf(window), "textLines")->isEnabled());
        window->close();
        QApplication::processEvents();

        QVERIFY(installKeyCodesFile(dir->path()));
        window = qobject_cast<QMdiSubWindow*>(openViewScriptKeys(services(), dir->path(), area));
        loadToTheEnd();
        QListView* list = child<QListView>(viewerOf(window), "textLines");
        QVERIFY(list->isEnabled());
        QCOMPARE(list->model()->index(0, 0).data().toString(), QString("LIST OF KEY ABBREVIATIONS"));
        window->resize(760, 520);
        test::saveScreenshot(frame.get(), "key_list");
    }
};

QTEST_MAIN(TextViewerWindowTest)
#include "text_viewer_window_test.moc"
