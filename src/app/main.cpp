#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "base/data_folder.h"
#include "base/instance_lock.h"
#include "shell/ui/main_window.h"
#include "shell/version.h"

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void requestQuit(int) {
    // Only async-signal-safe work here: the event loop reads the pipe and quits normally.
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the program through the normal shutdown, like closing the frame.
void quitOnSignals(QCoreApplication& app) {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = requestQuit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
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

    quitOnSignals(app);

    cm::MainWindow frame;
    frame.show();
    return app.exec();
}
