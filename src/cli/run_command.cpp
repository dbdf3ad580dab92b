#include "cli/run_command.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <charconv>
#include <memory>
#include <optional>

#include "base/data_folder.h"
#include "base/instance_lock.h"
#include "cli/task_commands.h"
#include "cli/terminal_runtime.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/qt/dbus_dde.h"
#include "platform/qt/dbus_notifier.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_timers.h"
#include "platform/qt/quit_on_signals.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_session.h"
#include "platform/x11/x11_window_system.h"
#include "shell/application.h"
#include "shell/clock.h"
#include "shell/null_runtime.h"
#include "shell/script_wiring.h"
#include "shell/version.h"

namespace cm {

namespace fs = std::filesystem;

namespace {

using cli::fail;

constexpr std::string_view kMessagePrefix = "Message: ";
// The longest run --seconds accepts: a month, far below what the timer can count.
constexpr long kMaxSeconds = 31L * 24 * 3600;

// A box's text on one line: line breaks become single blanks.
std::string oneLine(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

void printLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string_view buttonName(Button button) {
    switch (button) {
        case Button::Ok: return "OK";
        case Button::Yes: return "Yes";
        case Button::No: return "No";
        case Button::Cancel: return "Cancel";
        case Button::Retry: return "Retry";
        case Button::Abort: return "Abort";
        case Button::Ignore: return "Ignore";
        default: return "none";
    }
}

// The window runtime of the headless monitor. A box is printed as "Title: text" and notified;
// a question is answered at once and its answer printed after it. Boxes owned by the frame
// never wait here, so the monitor needs no hold around them.
class MonitorRuntime final : public NullRuntime {
public:
    MonitorRuntime(Notifier& notifier, bool answerYes) : m_notifier(notifier), m_answerYes(answerYes) {}

    Button messageBox(const MessageBoxRequest& request) override {
        if (m_quitting) return Button::Aborted;
        std::string line = request.title + ": " + oneLine(request.text);
        const bool question = (request.buttons & ~static_cast<unsigned>(kButtonOk)) != 0;
        const Button answer =
            m_answerYes && (request.buttons & kButtonYes) ? Button::Yes : TerminalRuntime::defaultAnswer(request);
        if (question) line += " -> " + std::string(buttonName(answer));
        printLine(line);
        m_notifier.notify(request.title, request.text);
        return answer;
    }
    void beep() override { ringBell(); }
    void endProgram(std::string_view text) override {
        std::fprintf(stderr, "chronomate-cli: %s\n", oneLine(text).c_str());
        quit(TerminalRuntime::kFailureStatus);
    }
    bool isQuitting() const override { return m_quitting; }

    // Leaves the event loop; the shutdown runs once exec() has returned.
    void quit(int status) {
        if (m_quitting) return;
        m_quitting = true;
        m_status = status;
        QCoreApplication::exit(status);
    }
    int status() const { return m_status; }

    // The terminal bell, only where somebody can hear it: not into a file or a pipe.
    static void ringBell() {
        if (!::isatty(STDOUT_FILENO)) return;
        std::fputc('\a', stdout);
        std::fflush(stdout);
    }

private:
    Notifier& m_notifier;
    bool m_answerYes;
    bool m_quitting = false;
    int m_status = 0;
};

// Every kind of message window becomes one printed line and a notification.
class TerminalMessageSink final : public MessageSink {
public:
    explicit TerminalMessageSink(Notifier& notifier) : m_notifier(notifier) {}
    void showMessage(const TaskMessage& m) override { show(m); }
    void showModalMessage(const TaskMessage& m) override { show(m); }
    void showReplyMessage(const TaskMessage& m) override { show(m); }
    void plainBox(const TaskMessage& m) override { show(m); }
    void external(const TaskMessage& m) override { show(m); }

private:
    void show(const TaskMessage& m) {
        printLine(std::string(kMessagePrefix) + m.title + ": " + oneLine(m.text));
        m_notifier.notify(m.title, m.text);
    }
    Notifier& m_notifier;
};

class NoFrame final : public FrameHost {
public:
    void restorePlacement() override {}
    void savePlacement() override {}
    void iconize() override {}
    void sendToTray() override {}
};

// The keyboard and window system of scripts: X11 when a display opens, else none.
struct Desktop {
    X11Session session;
    std::optional<X11Keyboard> keyboard;
    std::optional<X11WindowSystem> windows;

    Desktop() {
        if (session.isOpen()) {
            keyboard.emplace(session);
            windows.emplace(session);
            if (const std::string notice = X11Session::x11OnlyNotice(); !notice.empty())
                std::fprintf(stderr, "chronomate-cli: %s\n", oneLine(notice).c_str());
        } else {
            // The session's text already says that scripts cannot reach windows.
            std::fprintf(stderr, "chronomate-cli: %s\n", session.error().c_str());
        }
    }
};

struct RunOptions {
    std::optional<long> seconds;
    bool yes = false;
};

std::optional<RunOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
    RunOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--yes") {
            options.yes = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            long value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxSeconds) {
                error = "bad --seconds \"" + text + "\": expected a number from 1 to " + std::to_string(kMaxSeconds);
                return std::nullopt;
            }
            options.seconds = value;
        } else {
            error = "usage: run [--seconds S] [--yes]";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace

void printRunUsage(std::FILE* out) {
    std::fprintf(out,
                 "  run [--seconds S] [--yes]\n"
                 "                          run the task monitor in the terminal until Ctrl+C, SIGTERM or S\n"
                 "                          seconds; messages are printed and notified, questions take their\n"
                 "                          default answer (Yes with --yes); one monitor per data folder\n");
}

int runMonitorCommand(const std::vector<std::string>& args, const fs::path& dataFolder) {
    std::string error;
    const auto options = parseOptions(args, error);
    if (!options) return fail(error);
    if (!cli::prepareStore(dataFolder)) return TerminalRuntime::kFailureStatus;
    auto lock = InstanceLock::tryAcquire(dataFolder, &error);
    if (!lock) {
        const auto holder = InstanceLock::holderPid(dataFolder);
        return fail("another monitor" + (holder ? " (process " + std::to_string(*holder) + ")" : std::string()) +
                    " runs on " + dataFolder.string() + ": " + error);
    }
    if (!DataFolder::makeCurrent(dataFolder, &error)) return fail(error);
    // Caught from the moment the lock is held; one that comes during start-up waits for the loop.
    QuitOnSignals::install();

    int argc = 1;
    char name[] = "chronomate-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication qapp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("chronomate-cli"));

    DbusNotifier notifier(QString::fromUtf8(Version::kProductName));
    MonitorRuntime runtime(notifier, options->yes);
    TerminalMessageSink sink(notifier);
    SystemClock clock;
    QtTimers timers;
    PosixProcessLauncher launcher;
    QtSound sound(&MonitorRuntime::ringBell);
    NoFrame frame;
    Application app(ApplicationPorts{runtime, clock, timers, sound, launcher, sink, frame}, dataFolder);
    app.start();
    if (!app.ok()) {
        app.shutDown();
        return TerminalRuntime::kFailureStatus;
    }

    Desktop desktop;
    DbusDde dde;
    ScriptWiring scripts(ScriptPorts{runtime, clock, timers, app.settings(), app.log(), app.actions(), dde,
                                     desktop.keyboard ? &*desktop.keyboard : nullptr,
                                     desktop.windows ? &*desktop.windows : nullptr});
    if (!scripts.open()) {
        cli::fail("the Scripting table cannot be opened: " + scripts.scripting().lastError().text);
        app.shutDown();
        return TerminalRuntime::kFailureStatus;
    }
    scripts.attach(*app.monitor(), nullptr);

    QuitOnSignals::connect(qapp, [&runtime] { runtime.quit(0); });
    if (options->seconds)
        QTimer::singleShot(std::chrono::seconds(*options->seconds), &qapp, [&runtime] { runtime.quit(0); });
    QCoreApplication::exec();

    scripts.detach();
    app.shutDown();
    return runtime.status();
}

}  // namespace cm
