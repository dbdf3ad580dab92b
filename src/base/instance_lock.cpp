#include "base/instance_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace fs = std::filesystem;

namespace cm {

namespace {

fs::path lockPath(const fs::path& folder) {
    return folder / InstanceLock::kFileName;
}

}  // namespace

// The lock is flock() on the file, not the file's existence: the kernel drops it when the
// holder's last descriptor closes, so a crashed or killed monitor leaves a file behind
// but never a lock. For the same reason the file is never deleted: unlinking it would
// let a newcomer lock a fresh file while someone still holds the old one.
std::optional<InstanceLock> InstanceLock::tryAcquire(const fs::path& folder, std::string* error) {
    const fs::path path = lockPath(folder);
    // O_CLOEXEC: programs that tasks start must not inherit the lock and keep it alive
    // after the monitor has ended.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error != nullptr) *error = "Cannot open the lock file \"" + path.string() + "\": " + std::strerror(errno);
        return std::nullopt;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int lockErrno = errno;
        close(fd);
        if (error != nullptr) {
            if (lockErrno == EWOULDBLOCK) {
                *error = "Chronomate is already running on the data folder \"" + folder.string() + "\"";
                if (auto pid = holderPid(folder)) *error += " (process " + std::to_string(*pid) + ")";
                *error += ".";
            } else {
                *error = "Cannot lock \"" + path.string() + "\": " + std::strerror(lockErrno);
            }
        }
        return std::nullopt;
    }

    // The pid only serves the message of a second start, so failing to write it is harmless.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = pwrite(fd, pid.data(), pid.size(), 0);
    }
    return InstanceLock(fd, path);
}

std::optional<pid_t> InstanceLock::holderPid(const fs::path& folder) {
    const int fd = open(lockPath(folder).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char buffer[32];
    const ssize_t got = pread(fd, buffer, sizeof buffer, 0);
    close(fd);
    if (got <= 0) return std::nullopt;

    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(buffer, buffer + got, pid);
    if (ec != std::errc() || pid <= 0) return std::nullopt;
    // A file left by a killed holder names a process that no longer exists.
    if (kill(pid, 0) != 0 && errno != EPERM) return std::nullopt;
    return pid;
}

InstanceLock::InstanceLock(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    release();
}

const fs::path& InstanceLock::path() const {
    return m_path;
}

// Only close, never LOCK_UN: a forked child shares the open file, and its copy's
// destructor must not unlock the parent's lock.
void InstanceLock::release() noexcept {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

}  // namespace cm
