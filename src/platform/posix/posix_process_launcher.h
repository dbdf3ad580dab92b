#pragma once

#include <set>

#include "shell/process_launcher.h"

namespace cm {

// Starts children with posix_spawnp: no shell, and the start folder is entered by the child
// alone (posix_spawn_file_actions_addchdir_np), so our own current directory never moves.
//
// Priority: posix_spawn cannot set a nice value, so the parent calls setpriority on the new
// pid as soon as posix_spawnp returns. glibc's spawn returns only once the child has exec'd,
// so the program runs its first instants at our priority; a re-exec trampoline would close
// that window at the cost of a second exec and muddier error reports, which a scheduler does
// not need. Low is nice 10; High is nice -5 where we hold the privilege, else normal.
//
// Window mode: an X11 program decides how its first window appears and no portable hint
// exists for "minimized" or "without focus", so the mode is accepted and nothing is passed.
//
// Children are watched by pid only (waitpid(pid, WNOHANG)); SIGCHLD is left alone so other
// code can wait for its own children. Finished children are reaped on each start, on each
// hasEnded() and by reapFinished(), so none stays a zombie for long.
class PosixProcessLauncher final : public ProcessLauncher {
public:
    static constexpr int kLowNice = 10;
    static constexpr int kHighNice = -5;
    static constexpr const char* kDesktopOpener = "xdg-open";

    LaunchResult start(const std::string& program, const std::vector<std::string>& arguments,
                       const StartOptions& options) override;
    LaunchResult openWithDesktop(const std::string& target, const StartOptions& options) override;
    bool hasEnded(ProcessId pid) override;

    // Reaps every started child that has ended; returns how many are still running.
    std::size_t reapFinished();
    std::size_t runningCount() const { return m_children.size(); }

private:
    std::set<ProcessId> m_children;
};

}  // namespace cm
