#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

#include "base/ini_file.h"
#include "shell/placement.h"
#include "shell/ui/qt_placement.h"

namespace {

void settle(QWidget& w) {
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
}

}  // namespace

class QtPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_ini = std::make_unique<cm::IniFile>(std::filesystem::path(m_dir.filePath("POSITION.INI").toStdString()));
        m_ini->write("Main", "XPosit", "");
    }

    void normalWindowRoundTrip() {
        {
            QWidget w;
            w.move(130, 95);
            w.resize(420, 310);
            w.show();
            settle(w);
            cm::Placement::save(*m_ini, "Main", cm::QtPlacement(w));
        }
        QCOMPARE(m_ini->read("Main", "Maximize"), std::string("No"));
        QWidget w;
        w.resize(200, 100);
        cm::QtPlacement placement(w);
        cm::Placement::restore(*m_ini, "Main", placement);
        w.show();
        settle(w);
        QCOMPARE(w.frameGeometry().topLeft(), QPoint(130, 95));
        QCOMPARE(w.size(), QSize(420, 310));
    }

    void maximizedReopensMaximizedOverItsNormalPlacement() {
        {
            QWidget w;
            w.move(140, 70);
            w.resize(400, 300);
            w.show();
            settle(w);
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
            cm::Placement::save(*m_ini, "Main", cm::QtPlacement(w));
        }
        QCOMPARE(m_ini->read("Main", "Maximize"), std::string("Yes"));
        QCOMPARE(m_ini->read("Main", "Width"), std::string("400"));

        QWidget w;
        cm::QtPlacement placement(w);
        cm::Placement::restore(*m_ini, "Main", placement);
        w.show();
        settle(w);
        QVERIFY(w.isMaximized());
        w.showNormal();
        QTRY_COMPARE(w.size(), QSize(400, 300));
        QCOMPARE(w.frameGeometry().topLeft(), QPoint(140, 70));
    }

    void closedIconizedKeepsTheOldPlacement() {
        m_ini->write(std::vector<cm::IniEntry>{{"Main", "Maximize", "No"},
                                               {"Main", "XPosit", "10"},
                                               {"Main", "YPosit", "20"},
                                               {"Main", "Width", "300"},
                                               {"Main", "Height", "200"}});
        QWidget w;
        w.move(500, 400);
        w.resize(250, 150);
        w.show();
        settle(w);
        w.showMinimized();
        QTRY_VERIFY(w.isMinimized());
        cm::Placement::save(*m_ini, "Main", cm::QtPlacement(w));
        QCOMPARE(m_ini->read("Main", "XPosit"), std::string("10"));
        QCOMPARE(m_ini->read("Main", "Width"), std::string("300"));
    }

    void maximizedChildWindowSavesItsNormalPlacement() {
        QMdiArea area;
        area.resize(800, 600);
        QMdiSubWindow* sub = area.addSubWindow(new QWidget);
        sub->setGeometry(30, 40, 300, 200);
        area.show();
        settle(area);
        sub->showMaximized();
        QTRY_VERIFY(sub->isMaximized());
        cm::Placement::save(*m_ini, "ViewLog", cm::QtPlacement(*sub));
        QVERIFY(sub->isMaximized());
        QCOMPARE(m_ini->read("ViewLog", "Maximize"), std::string("Yes"));
        QCOMPARE(m_ini->read("ViewLog", "XPosit"), std::string("30"));
        QCOMPARE(m_ini->read("ViewLog", "Width"), std::string("300"));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<cm::IniFile> m_ini;
};

QTEST_MAIN(QtPlacementTest)
#include "qt_placement_test.moc"
