#pragma once

#include <QApplication>
#include <QDir>
#include <QWidget>
#include <QtTest>

namespace cm::test {

// Saves a picture of the window for a person to look at, only when CHRONOMATE_SCREENSHOTS
// names a folder: the pictures belong to a review, not to the test's verdict.
inline void saveScreenshot(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("CHRONOMATE_SCREENSHOTS");
    if (folder.isEmpty() || !window) return;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::processEvents();
    QDir().mkpath(folder);
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
    QVERIFY(window->grab().save(QDir(folder).filePath(name + "@" + scale + "x.png")));
}

}  // namespace cm::test
