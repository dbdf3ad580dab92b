// CMMsg: shows its text argument as a desktop notification through notify-send, or prints it
// to standard error when no notification can be sent (no notify-send, no notification
// service). Chronomate starts it for "UseExternalMessage"; it never waits for the user.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/version.h"

extern char** environ;

namespace {

constexpr const char* kNotifier = "notify-send";

bool notify(const std::string& text) {
    std::vector<std::string> args = {kNotifier, "--app-name=chronomate", cm::Version::kProductName, text};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, kNotifier, nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: CMMsg TEXT\n");
        return 2;
    }
    std::string text = argv[1];
    for (int i = 2; i < argc; ++i) text += std::string(" ") + argv[i];
    if (!notify(text)) std::fprintf(stderr, "%s: %s\n", cm::Version::kProductName, text.c_str());
    return 0;
}
