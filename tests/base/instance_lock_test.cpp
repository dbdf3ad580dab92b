#include "base/instance_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace cm {
namespace {

// A one-byte signal between the test and its child process.
class Pipe {
public:
    Pipe() { EXPECT_EQ(pipe(m_fds), 0); }
    ~Pipe() {
        close(m_fds[0]);
        close(m_fds[1]);
    }
    void send(char c) { [[maybe_unused]] auto n = write(m_fds[1], &c, 1); }
    char receive() {
        char c = 0;
        return read(m_fds[0], &c, 1) == 1 ? c : '\0';
    }

private:
    int m_fds[2] = {-1, -1};
};

int exitCodeOf(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceLock, SecondProcessIsRefusedUntilTheHolderReleases) {
    test::TempDir dir;
    std::optional<InstanceLock> lock = InstanceLock::tryAcquire(dir.path());
    ASSERT_TRUE(lock);
    EXPECT_EQ(InstanceLock::holderPid(dir.path()), getpid());

    Pipe toParent;
    Pipe toChild;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child inherited the parent's descriptor; dropping its copy must not unlock the parent.
        lock.reset();
        std::string error;
        int code = 0;
        if (InstanceLock::tryAcquire(dir.path(), &error)) {
            code = 2;
        } else if (error.find("process " + std::to_string(getppid())) == std::string::npos) {
            code = 3;
        }
        toParent.send('r');
        if (toChild.receive() != 'g') _exit(5);
        if (code == 0 && !InstanceLock::tryAcquire(dir.path())) code = 4;
        _exit(code);
    }

    EXPECT_EQ(toParent.receive(), 'r');
    lock.reset();
    toChild.send('g');
    EXPECT_EQ(exitCodeOf(child), 0) << "2: not refused, 3: message without pid, 4: not given after release";
}

TEST(InstanceLock, FileLeftByAKilledHolderDoesNotBlock) {
    test::TempDir dir;
    Pipe toParent;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::optional<InstanceLock> lock = InstanceLock::tryAcquire(dir.path());
        toParent.send(lock ? 'y' : 'n');
        for (;;) pause();
    }

    ASSERT_EQ(toParent.receive(), 'y');
    std::string error;
    EXPECT_FALSE(InstanceLock::tryAcquire(dir.path(), &error));
    EXPECT_NE(error.find("already running"), std::string::npos) << error;
    EXPECT_EQ(InstanceLock::holderPid(dir.path()), child);

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(fs::exists(dir / std::string(InstanceLock::kFileName)));
    EXPECT_EQ(InstanceLock::holderPid(dir.path()), std::nullopt);

    std::optional<InstanceLock> lock = InstanceLock::tryAcquire(dir.path(), &error);
    ASSERT_TRUE(lock) << error;
    EXPECT_EQ(InstanceLock::holderPid(dir.path()), getpid());
}

TEST(InstanceLock, MovedLockStaysHeld) {
    test::TempDir dir;
    std::optional<InstanceLock> first = InstanceLock::tryAcquire(dir.path());
    ASSERT_TRUE(first);
    std::optional<InstanceLock> moved(std::move(*first));
    first.reset();
    // A second open file in the same process conflicts with the first, as another process would.
    EXPECT_FALSE(InstanceLock::tryAcquire(dir.path()));
    moved.reset();
    EXPECT_TRUE(InstanceLock::tryAcquire(dir.path()));
}

TEST(InstanceLock, ReportsAFolderWithoutRoomForTheLock) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(InstanceLock::tryAcquire(dir / "missing", &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_EQ(InstanceLock::holderPid(dir / "missing"), std::nullopt);
}

}  // namespace
}  // namespace cm
