#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "shell/ui/about_window.h"
#include "shell/version.h"
#include "ui/screenshot.h"

class AboutWindowTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheProductAndItsAddresses() {
        cm::AboutWindow about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* title = about.findChild<QPushButton*>("aboutTitle");
        QVERIFY(title);
        QCOMPARE(title->text(), QString("Chronomate 98 1.6a"));
        QVERIFY(about.findChild<QLabel*>("homePage")->text().contains(cm::Version::kHomePage));
        QVERIFY(about.findChild<QLabel*>("email")->text().contains(QString("mailto:") + cm::Version::kEmail));
        cm::test::saveScreenshot(&about, "about");
    }

    void titleClickOpensTheTitleListOnceSet() {
        cm::AboutWindow about;
        about.show();
        auto* title = about.findChild<QPushButton*>("aboutTitle");
        QVERIFY(!title->isEnabled());

        int opened = 0;
        about.setTitleClicked([&opened] { ++opened; });
        QVERIFY(title->isEnabled());
        QTest::mouseClick(title, Qt::LeftButton);
        QCOMPARE(opened, 1);

        about.setTitleClicked({});
        QVERIFY(!title->isEnabled());
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
