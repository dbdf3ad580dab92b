#pragma once

#include <functional>

class QCoreApplication;

namespace cm {

// SIGTERM and SIGINT end the program through its normal shutdown, like any other way out. The
// handler only writes a byte to a pipe; the event loop reads it and asks the program to quit.
class QuitOnSignals {
public:
    // Catches both signals from now on, before the application object may exist: one that comes
    // early waits in the pipe for connect(). False when no pipe could be made.
    static bool install();
    // Runs quit on the event loop for each signal caught; does nothing unless install() worked.
    static void connect(QCoreApplication& app, std::function<void()> quit);
};

}  // namespace cm
