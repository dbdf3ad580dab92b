#pragma once

#include <string>
#include <vector>

namespace cm {

using ProcessId = int;

enum class ProcessPriority { Normal, Low, High };
// Window modes a script step may ask for; honoured where the desktop allows it.
enum class WindowMode { Normal, Minimized, Maximized, Hidden };

struct StartOptions {
    std::string workingDirectory;  // empty: the data folder
    ProcessPriority priority = ProcessPriority::Normal;
    WindowMode windowMode = WindowMode::Normal;
};

struct LaunchResult {
    bool started = false;
    ProcessId pid = 0;
    int errorCode = 0;  // errno of the failure
    std::string errorText;
};

// Starts programs directly (never through a shell) and watches the children it started.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual LaunchResult start(const std::string& program, const std::vector<std::string>& arguments,
                               const StartOptions& options) = 0;
    // Opens an existing non-executable file or a URL with the desktop's handler.
    virtual LaunchResult openWithDesktop(const std::string& target, const StartOptions& options) = 0;
    // True once the child has ended (it is reaped then), or for an unknown pid.
    virtual bool hasEnded(ProcessId pid) = 0;
};

}  // namespace cm
