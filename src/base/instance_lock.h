#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cm {

// Keeps a second monitor off a data folder, so that no task fires twice. Held for the
// object's lifetime; only the desktop program and "chronomate-cli run" take it.
class InstanceLock {
public:
    static constexpr std::string_view kFileName = "chronomate.lock";

    // Nullopt when another process holds the lock or the lock file cannot be opened;
    // error then tells which.
    static std::optional<InstanceLock> tryAcquire(const std::filesystem::path& folder, std::string* error = nullptr);

    // The process recorded in the lock file, when it is still alive. Meant for the
    // message after a failed tryAcquire(): the holder writes its pid just after locking.
    static std::optional<pid_t> holderPid(const std::filesystem::path& folder);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    const std::filesystem::path& path() const;

private:
    InstanceLock(int fd, std::filesystem::path path);
    void release() noexcept;

    int m_fd = -1;
    std::filesystem::path m_path;
};

}  // namespace cm
