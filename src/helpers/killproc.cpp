// KillProc NAME: ends the calling user's processes whose executable is called NAME.
//
// A process matches when NAME (or the last part of NAME, when it is a path) equals its
// kernel name (/proc/PID/comm, which the kernel cuts to 15 characters), the name of the file
// it runs (/proc/PID/exe) or the last part of its argv[0]. Each gets SIGTERM; those still
// running after kGrace get SIGKILL. This process and the one that started it are spared.
// Exit status: 0 when at least one process was ended, 1 when none matched, 2 on bad usage.

#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr auto kGrace = std::chrono::milliseconds(1500);
constexpr auto kPollStep = std::chrono::milliseconds(20);

std::string lastPart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool matches(const fs::path& proc, const std::string& name) {
    std::string comm = readFile(proc / "comm");
    if (!comm.empty() && comm.back() == '\n') comm.pop_back();
    if (comm == name) return true;

    std::error_code ec;
    const fs::path exe = fs::read_symlink(proc / "exe", ec);
    if (!ec) {
        std::string file = exe.filename().string();
        // The kernel marks a program whose file has been replaced or removed.
        const std::string deleted = " (deleted)";
        if (file.size() > deleted.size() && file.compare(file.size() - deleted.size(), deleted.size(), deleted) == 0)
            file.resize(file.size() - deleted.size());
        if (file == name) return true;
    }

    const std::string cmdline = readFile(proc / "cmdline");
    const std::string argv0 = cmdline.substr(0, cmdline.find('\0'));
    return !argv0.empty() && lastPart(argv0) == name;
}

// Running, not merely a zombie waiting for its parent.
bool running(pid_t pid) {
    if (kill(pid, 0) != 0) return false;
    const std::string stat = readFile(fs::path("/proc") / std::to_string(pid) / "stat");
    const auto close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'Z';
}

std::vector<pid_t> matchingProcesses(const std::string& name) {
    std::vector<pid_t> found;
    const pid_t self = getpid();
    const pid_t parent = getppid();
    const uid_t user = getuid();
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
        const std::string id = entry.path().filename().string();
        if (id.empty() || !std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(id));
        if (pid == self || pid == parent) continue;
        struct stat info {};
        if (stat(entry.path().c_str(), &info) != 0 || info.st_uid != user) continue;
        if (matches(entry.path(), name)) found.push_back(pid);
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "Usage: KillProc NAME\nEnds your processes whose program is called NAME.\n");
        return 2;
    }
    const std::string name = lastPart(argv[1]);
    if (name.empty()) {
        std::fprintf(stderr, "KillProc: \"%s\" names no program.\n", argv[1]);
        return 2;
    }

    std::vector<pid_t> targets;
    for (const pid_t pid : matchingProcesses(name))
        if (kill(pid, SIGTERM) == 0) targets.push_back(pid);
    if (targets.empty()) return 1;

    const auto deadline = std::chrono::steady_clock::now() + kGrace;
    auto stillRunning = [&targets] {
        return std::any_of(targets.begin(), targets.end(), running);
    };
    while (stillRunning() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPollStep);
    for (const pid_t pid : targets)
        if (running(pid)) kill(pid, SIGKILL);
    return 0;
}
