#include "platform/posix/posix_process_launcher.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace cm {
namespace {

// Owns the spawn attributes and file actions so every exit path destroys them.
class SpawnSetup {
public:
    SpawnSetup() {
        m_actionsOk = posix_spawn_file_actions_init(&m_actions) == 0;
        m_attrOk = posix_spawnattr_init(&m_attr) == 0;
    }
    ~SpawnSetup() {
        if (m_actionsOk) posix_spawn_file_actions_destroy(&m_actions);
        if (m_attrOk) posix_spawnattr_destroy(&m_attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // 0 or the errno of the step that failed.
    int prepare(const std::string& folder) {
        if (!m_actionsOk || !m_attrOk) return ENOMEM;
        if (!folder.empty()) {
            if (int rc = posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str())) return rc;
        }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        // Descriptors we forgot to mark close-on-exec must not leak into user programs.
        if (int rc = posix_spawn_file_actions_addclosefrom_np(&m_actions, 3)) return rc;
#endif
        // The child starts with default signal handling and nothing blocked, whatever the
        // program set up for itself (an ignored SIGPIPE would otherwise be inherited).
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        if (int rc = posix_spawnattr_setsigdefault(&m_attr, &all)) return rc;
        if (int rc = posix_spawnattr_setsigmask(&m_attr, &none)) return rc;
        return posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }

    const posix_spawn_file_actions_t* actions() const { return &m_actions; }
    const posix_spawnattr_t* attributes() const { return &m_attr; }

private:
    posix_spawn_file_actions_t m_actions{};
    posix_spawnattr_t m_attr{};
    bool m_actionsOk = false;
    bool m_attrOk = false;
};

LaunchResult failure(int error) { return {false, 0, error, std::strerror(error)}; }

void applyPriority(pid_t pid, ProcessPriority priority) {
    if (priority == ProcessPriority::Normal) return;
    const int nice = priority == ProcessPriority::Low ? PosixProcessLauncher::kLowNice : PosixProcessLauncher::kHighNice;
    // Without the privilege to raise priority the child simply keeps ours.
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice);
}

}  // namespace

LaunchResult PosixProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments,
                                         const StartOptions& options) {
    reapFinished();
    // posix_spawnp takes "" as a name to search for; report it the way a missing file is.
    if (program.empty()) return failure(ENOENT);

    SpawnSetup setup;
    if (int rc = setup.prepare(options.workingDirectory)) return failure(rc);

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), setup.actions(), setup.attributes(), argv.data(), environ);
    if (rc != 0) return failure(rc);
    m_children.insert(pid);
    applyPriority(pid, options.priority);
    return {true, pid, 0, {}};
}

LaunchResult PosixProcessLauncher::openWithDesktop(const std::string& target, const StartOptions& options) {
    return start(kDesktopOpener, {target}, options);
}

bool PosixProcessLauncher::hasEnded(ProcessId pid) {
    const bool known = m_children.count(pid) > 0;
    reapFinished();
    return !known || m_children.count(pid) == 0;
}

std::size_t PosixProcessLauncher::reapFinished() {
    for (auto it = m_children.begin(); it != m_children.end();) {
        int status = 0;
        pid_t rc = 0;
        do {
            rc = waitpid(*it, &status, WNOHANG);
        } while (rc < 0 && errno == EINTR);
        // rc < 0 (ECHILD): somebody else reaped it; it has ended all the same.
        if (rc != 0)
            it = m_children.erase(it);
        else
            ++it;
    }
    return m_children.size();
}

}  // namespace cm
