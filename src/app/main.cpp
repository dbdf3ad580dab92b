#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>

#include "base/data_folder.h"
#include "base/instance_lock.h"
#include "shell/ui/main_window.h"
#include "shell/version.h"

namespace {

extern "C" void requestQuit(int) {
    // Only async-signal-safe work here: the event loop picks the request up.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace

int main(int argc, char** argv) {
    const auto dataDirArg = cm::DataFolder::takeDataDirArgument(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("chronomate");
    QApplication::setApplicationDisplayName(QString::fromUtf8(cm::Version::kProductName));

    const cm::DataFolderResult folder = cm::DataFolder::resolve(dataDirArg);
    if (!folder.error.empty()) {
        QMessageBox::critical(nullptr, QString::fromUtf8(cm::Version::kProductName), QString::fromStdString(folder.error));
        return 1;
    }
    cm::DataFolder::makeCurrent(folder.path);

    std::string lockError;
    auto lock = cm::InstanceLock::tryAcquire(folder.path, &lockError);
    if (!lock) {
        std::fprintf(stderr, "chronomate: %s\n", lockError.c_str());
        return 1;
    }

    std::signal(SIGTERM, requestQuit);
    std::signal(SIGINT, requestQuit);

    cm::MainWindow frame;
    frame.show();
    return app.exec();
}
