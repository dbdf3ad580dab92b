#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "base/data_folder.h"
#include "base/instance_lock.h"
#include "app/desktop_program.h"
#include "app/single_instance.h"
#include "platform/qt/quit_on_signals.h"
#include "shell/version.h"

namespace {

// Scripts reach X11 windows only (XTest, the X window list), so in a Wayland session our own
// windows run on XWayland too. True when the switch was made.
bool preferXcbOnWayland() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!wayland || !*wayland || !display || !*display || (platform && *platform)) return false;
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const auto dataDirArg = cm::DataFolder::takeDataDirArgument(argc, argv);
    const bool switchedFromWayland = preferXcbOnWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName("chronomate");
    // The frame hides in the tray: closing the last visible window must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
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
        // Another chronomate runs the monitor on this folder: bring it to the front instead.
        if (cm::SingleInstance::askToRaise(folder.path)) return 0;
        std::fprintf(stderr, "chronomate: %s\n", lockError.c_str());
        return 1;
    }

    cm::DesktopProgram program(folder.path);
    cm::QuitOnSignals::install();
    cm::QuitOnSignals::connect(app, [&program] { program.quit(); });
    return program.run(switchedFromWayland);
}
