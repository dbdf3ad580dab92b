#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "platform/qt/qt_sound.h"
#include "shell/ui/help_window.h"
#include "shell/ui/icons.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_runtime.h"

Q_DECLARE_METATYPE(cm::Owner)
Q_DECLARE_METATYPE(cm::Button)

namespace {

class CountingHold final : public cm::MonitorHoldSource {
public:
    void hold() override { ++holds; }
    void release() override { --holds; }
    int holds = 0;
};

// Runs act on the first widget of type T to show up, once the caller's modal loop runs.
template <typename T>
void whenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        T* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) found = t;
        }
        if (!found) return;
        timer->stop();
        timer->deleteLater();
        act(found);
    });
    timer->start();
}

class Receiver final : public QObject {
public:
    std::vector<int> numbers;
    bool event(QEvent* e) override {
        if (e->type() == cm::ProgramEvent::type()) {
            numbers.push_back(static_cast<cm::ProgramEvent*>(e)->number());
            return true;
        }
        return QObject::event(e);
    }
};

}  // namespace

class QtRuntimeTest : public QObject {
    Q_OBJECT
private slots:
    void messageBoxAnswers_data() {
        QTest::addColumn<unsigned>("buttons");
        QTest::addColumn<cm::Button>("defaultButton");
        QTest::addColumn<int>("click");  // a QMessageBox::StandardButton, or 0 for Return
        QTest::addColumn<cm::Owner>("owner");
        QTest::addColumn<cm::Button>("answer");

        using cm::Button;
        QTest::newRow("ok") << unsigned(cm::kButtonOk) << Button::None << 0 << cm::Owner::Frame << Button::Ok;
        QTest::newRow("yes-no first is default")
            << unsigned(cm::kButtonsYesNo) << Button::None << 0 << cm::Owner::Frame << Button::Yes;
        QTest::newRow("yes-no default no")
            << unsigned(cm::kButtonsYesNo) << Button::No << 0 << cm::Owner::Window << Button::No;
        QTest::newRow("retry-cancel") << unsigned(cm::kButtonsRetryCancel) << Button::None << 0 << cm::Owner::Frame
                                      << Button::Retry;
        QTest::newRow("cancel clicked") << unsigned(cm::kButtonsYesNoCancel) << Button::Yes
                                        << int(QMessageBox::Cancel) << cm::Owner::Frame << Button::Cancel;
    }

    void messageBoxAnswers() {
        QFETCH(unsigned, buttons);
        QFETCH(cm::Button, defaultButton);
        QFETCH(int, click);
        QFETCH(cm::Owner, owner);
        QFETCH(cm::Button, answer);

        cm::MainWindow frame;
        cm::QtRuntime runtime;
        runtime.setFrame(&frame);
        CountingHold hold;
        runtime.setHoldSource(&hold);

        int holdsWhileOpen = -1;
        QWidget* parent = nullptr;
        QString shownText;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            holdsWhileOpen = hold.holds;
            parent = box->parentWidget();
            shownText = box->text();
            if (click) {
                box->button(QMessageBox::StandardButton(click))->click();
            } else {
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        const cm::Button got = runtime.messageBox(
            {"Run <b>backup</b> now?", "Confirm Task", cm::MessageIcon::Question, buttons, defaultButton, owner});
        QCOMPARE(got, answer);
        QCOMPARE(shownText, QString("Run <b>backup</b> now?"));
        QCOMPARE(holdsWhileOpen, owner == cm::Owner::Frame ? 1 : 0);
        QCOMPARE(hold.holds, 0);
        if (owner == cm::Owner::Frame) QCOMPARE(parent, &frame);
    }

    void fileDialogFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("wav and all") << "WAV Files|*.WAV|All Files|*.*"
                                     << QStringList{"WAV Files (*.[wW][aA][vV])", "All Files (*)"};
        QTest::newRow("several patterns")
            << "Programs|*.exe;*.Com" << QStringList{"Programs (*.[eE][xX][eE] *.[cC][oO][mM])"};
        QTest::newRow("digits and marks kept") << "Logs|log_2?.tx*" << QStringList{"Logs ([lL][oO][gG]_2?.[tT][xX]*)"};
        QTest::newRow("description alone") << "Anything" << QStringList{"Anything (*)"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void fileDialogFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(cm::fileDialogNameFilters(filter.toStdString()), expected);
    }

    void fileDialogReturnsTheChosenFile() {
        cm::QtRuntime runtime;
        const QString chosen = QDir::temp().filePath("alarm.wav");
        QStringList filters;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            filters = dialog->nameFilters();
            dialog->selectFile(chosen);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto path = runtime.fileDialog({"Choose a Sound", "", "WAV Files|*.WAV", cm::FileDialogMode::Save});
        QCOMPARE(filters, QStringList{"WAV Files (*.[wW][aA][vV])"});
        QVERIFY(path);
        QCOMPARE(QString::fromStdString(*path), chosen);
    }

    void popupMenuAnswersTheEntryNumber() {
        cm::QtRuntime runtime;
        QStringList texts;
        QList<bool> enabled;
        whenShown<QMenu>([&](QMenu* menu) {
            for (QAction* a : menu->actions()) {
                texts << (a->isSeparator() ? "-" : a->text());
                enabled << a->isEnabled();
            }
            QAction* exit = menu->actions().at(3);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
        });
        QCOMPARE(runtime.popupMenu("Add &Message|-|~&Restore|E&xit Chronomate"), 3);
        QCOMPARE(texts, (QStringList{"Add &Message", "-", "&Restore", "E&xit Chronomate"}));
        QCOMPARE(enabled, (QList<bool>{true, true, false, true}));

        whenShown<QMenu>([](QMenu* menu) { menu->close(); });
        QCOMPARE(runtime.popupMenu("One|Two"), 0);
    }

    void eventsReachTheNamedWindows() {
        cm::QtRuntime runtime;
        Receiver schedule;
        Receiver log;
        runtime.registerWindow(&schedule, "BrowseSchedule");
        runtime.registerWindow(&log, "ViewLog");
        {
            Receiver gone;
            runtime.registerWindow(&gone, "BrowseSchedule");
        }
        runtime.postEvent(1025, "BrowseSchedule");
        runtime.postEvent(7);
        QCoreApplication::processEvents();
        QCOMPARE(schedule.numbers, (std::vector<int>{1025, 7}));
        QCOMPARE(log.numbers, (std::vector<int>{7}));
    }

    void commandLinesStartWithoutAShell() {
        cm::QtRuntime runtime;
        QVERIFY(runtime.runCommandLine("true 'an argument' \"and another\""));
        QVERIFY(!runtime.runCommandLine("/nonexistent/program --flag"));
        QVERIFY(!runtime.runCommandLine("   "));
    }

    void helpOpensTopicsAndItsLinksResolve() {
        cm::QtRuntime runtime;
        runtime.showHelp("Tasks");
        QVERIFY(runtime.helpWindow());
        QCOMPARE(runtime.helpWindow()->browser()->source(), QUrl("qrc:/help/tasks.html"));
        runtime.showHelp("no such topic");
        QCOMPARE(runtime.helpWindow()->browser()->source(), QUrl("qrc:/help/index.html"));
        // The frame's help menu asks for these.
        for (const char* topic : {"search", "howto"})
            QCOMPARE(cm::HelpWindow::topicUrl(topic), QUrl(QString("qrc:/help/%1.html").arg(topic)));

        const QRegularExpression href("href=\"([^\"#:]+)");
        int pages = 0;
        for (QDirIterator it(":/help", {"*.html"}); it.hasNext(); ++pages) {
            QFile page(it.next());
            QVERIFY(page.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(page.readAll());
            for (auto m = href.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                QVERIFY2(QFile::exists(":/help/" + target), qPrintable(page.fileName() + " -> " + target));
            }
        }
        QVERIFY(pages >= 7);
        runtime.helpWindow()->close();
    }

    void iconsResolveByTheProgramsNames() {
        const char* names[] = {"CLOCK.ICO",   "tray_ico",     "traybr_ico", "trayc_ico",     "traydr_ico",
                               "0PRG.ICO",    "0MSG.ICO",     "VIEWSCHD.ICO", "0TODO.ICO",   "~done.ico",
                               "~notdone.ico", "~skip.ico",   "~disabled.ico", "~check.ico", "insert",
                               "change",      "delete",       "first",      "prior_page",    "prior",
                               "next",        "next_page",    "last",       "help"};
        for (const char* name : names) {
            const QImage image = cm::programIcon(name).pixmap(24, 24).toImage();
            QVERIFY2(!image.isNull(), name);
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
            QVERIFY2(opaque > 40, name);
        }
        QVERIFY(!cm::programIcon("~blank.ico").isNull());
        QCOMPARE(cm::programIconPath("trayb_ico"), cm::programIconPath("TRAYBR_ICO"));
        QCOMPARE(cm::programIconPath("trayd_ico"), cm::programIconPath("traydr_ico"));
        QVERIFY(cm::programIcon("nothing.ico").isNull());
    }

    void soundPlaysOnlyWaveFiles() {
        QTemporaryDir dir;
        auto write = [&](const char* name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return f.fileName().toStdString();
        };
        // 16-bit mono PCM, 8000 Hz, 80 samples of silence.
        QByteArray wav("RIFF");
        auto put32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
        auto put16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
        put32(36 + 160);
        wav.append("WAVEfmt ");
        put32(16), put16(1), put16(1), put32(8000), put32(16000), put16(2), put16(16);
        wav.append("data");
        put32(160);
        wav.append(QByteArray(160, '\0'));

        int beeps = 0;
        cm::QtSound sound([&] { ++beeps; });
        QVERIFY(!sound.play(dir.filePath("missing.wav").toStdString()));
        QVERIFY(!sound.play(write("song.wav", "ID3 not a wave file")));
        QVERIFY(!sound.play(dir.path().toStdString()));
        QCOMPARE(sound.activeCount(), 0);
        const std::string chime = write("chime.wav", wav);
        QVERIFY(sound.play(chime));
        QVERIFY(sound.play(chime));  // the same sound again replaces the first
        QCoreApplication::processEvents();
        QVERIFY(sound.activeCount() <= 1);
        sound.beep();
        QCOMPARE(beeps, 1);
    }

    // Last: a quit ends every later event loop of this process at once.
    void quittingAbortsOpenBoxes() {
        cm::MainWindow frame;
        cm::QtRuntime runtime;
        runtime.setFrame(&frame);
        CountingHold hold;
        runtime.setHoldSource(&hold);

        cm::Button answer = cm::Button::None;
        QTimer::singleShot(0, [&] {
            // Yes/No has no escape button: a plain close of it would refuse, and veto the quit.
            answer = runtime.messageBox({"Run it now?", "Missed Task", cm::MessageIcon::Question, cm::kButtonsYesNo});
        });
        whenShown<QMessageBox>([](QMessageBox*) { QCoreApplication::quit(); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(2); });  // never hang the suite
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(answer, cm::Button::Aborted);
        QCOMPARE(hold.holds, 0);
        QVERIFY(runtime.isQuitting());
        QCOMPARE(runtime.messageBox({"Again?", "", cm::MessageIcon::None, cm::kButtonOk}), cm::Button::Aborted);
        QCOMPARE(runtime.popupMenu("A|B"), 0);
    }
};

QTEST_MAIN(QtRuntimeTest)
#include "qt_runtime_test.moc"
