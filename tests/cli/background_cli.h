#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cm::test {

// chronomate-cli started in the background, its output going to files; killed at the end if
// it is still running.
class BackgroundCli {
public:
    BackgroundCli(std::vector<std::string> args, const std::filesystem::path& out, const std::filesystem::path& err,
                  const std::filesystem::path& configHome)
        : m_pid(start(std::move(args), out, err, configHome)) {}
    ~BackgroundCli() {
        if (m_pid <= 0 || m_status) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    BackgroundCli(const BackgroundCli&) = delete;
    BackgroundCli& operator=(const BackgroundCli&) = delete;

    pid_t pid() const { return m_pid; }

    // Forks and runs the program with its output in the files; the child's pid, -1 on failure.
    static pid_t start(std::vector<std::string> args, const std::filesystem::path& out,
                       const std::filesystem::path& err, const std::filesystem::path& configHome) {
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
            if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) _exit(127);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }
    void signal(int number) const { kill(m_pid, number); }

    // The exit code once the program has ended within the time; -1 after a signal.
    std::optional<int> waitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!m_status) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return m_status;
    }

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

template <class Condition>
bool eventually(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace cm::test
