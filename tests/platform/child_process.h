#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace cm::test {

// A program the test starts and, if it is still running at the end, stops.
class ChildProcess {
public:
    explicit ChildProcess(std::vector<std::string> argv) {
        std::vector<char*> args;
        for (std::string& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawnp(&m_pid, args[0], nullptr, nullptr, args.data(), environ) != 0) m_pid = 0;
    }
    ~ChildProcess() {
        if (m_pid == 0 || m_status) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool started() const { return m_pid != 0; }

    // The wait status once the child has ended within the time, else nothing.
    std::optional<int> waitForEnd(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!m_status && m_pid != 0) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = status;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_status;
    }

    void stop() {
        if (m_pid == 0 || m_status) return;
        kill(m_pid, SIGTERM);
        if (!waitForEnd(std::chrono::seconds(2))) {
            kill(m_pid, SIGKILL);
            waitForEnd();
        }
    }

    // Runs a program to its end; its exit code, or -1.
    static int run(std::vector<std::string> argv) {
        ChildProcess child(std::move(argv));
        const auto status = child.waitForEnd(std::chrono::seconds(10));
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

private:
    pid_t m_pid = 0;
    std::optional<int> m_status;
};

template <class Condition>
bool waitUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace cm::test
