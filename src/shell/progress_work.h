#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/timers.h"

namespace cm {

// What a small progress window shows while batch work runs. The Qt window implements it;
// RecordingProgressView runs the work headless.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setHeader(std::string_view header) = 0;
    virtual void setLine(std::string_view line) = 0;
    // percent is 0 to 100 for a bar; text is what the percentage line reads.
    virtual void setPercent(int percent, std::string_view text) = 0;
    // Called when the user presses "Cancel" (or closes the window).
    virtual void setCancelHandler(std::function<void()> handler) = 0;
    virtual void close() = 0;
};

// One batch of the work: whether the work is now done, and how far it got (0 to 100; values
// outside are capped).
struct ProgressStep {
    bool done = false;
    int percent = 0;
};

enum class ProgressOutcome { Completed, Cancelled, Stopped };

struct ProgressOptions {
    std::string caption;
    std::string header;
    std::string line;
    // "Process Completed" on the percentage line just before the window closes.
    bool showCompleted = true;
    // "5% Completed" rather than the picture's "  5% Completed".
    bool trimPercent = false;
    std::chrono::milliseconds tick{1};
};

// Batch work behind a progress window, one batch per timer tick, so the windows stay
// responsive and the monitor runs between batches without a nested event loop.
//
// The percentage line changes only when the whole percentage does. "Cancel" asks the caller's
// question (when one is set): answering "stop" ends the work before the next batch, any other
// answer lets it go on. Without a question, Cancel stops at once.
class ProgressWork {
public:
    static constexpr std::string_view kPercentSuffix = "% Completed";
    static constexpr std::string_view kInitialPercent = "0% Completed";
    static constexpr std::string_view kCompletedText = "Process Completed";
    static constexpr std::string_view kPercentPicture = "n3";

    using Step = std::function<ProgressStep()>;
    // True to stop the work.
    using CancelQuestion = std::function<bool()>;
    using Finished = std::function<void(ProgressOutcome)>;

    explicit ProgressWork(Timers& timers) : m_timers(timers) {}
    ~ProgressWork();
    ProgressWork(const ProgressWork&) = delete;
    ProgressWork& operator=(const ProgressWork&) = delete;

    void setCancelQuestion(CancelQuestion question) { m_question = std::move(question); }
    void setFinished(Finished finished) { m_finished = std::move(finished); }

    // Opens the view with the texts and "0% Completed" and arms the first batch. A run still
    // going is stopped first, without its finished callback.
    void start(std::unique_ptr<ProgressView> view, ProgressOptions options, Step step);
    // Ends the work at once: the view closes, finished hears Stopped.
    void stop();
    bool running() const { return m_view != nullptr; }

    // The step may change the line ("12 Found") while it runs.
    void setLine(std::string_view line);
    int percentShown() const { return m_shown; }

    // The percentage line for a whole percentage.
    static std::string percentText(int percent, bool trimmed);

    // What Cancel does; the view's handler calls it.
    void cancelPressed();

private:
    void arm();
    void tick();
    void finish(ProgressOutcome outcome, bool notify = true);

    Timers& m_timers;
    CancelQuestion m_question;
    Finished m_finished;
    std::unique_ptr<ProgressView> m_view;
    ProgressOptions m_options;
    Step m_step;
    TimerId m_timer = 0;
    int m_shown = 0;
    bool m_inStep = false;
    bool m_asking = false;
    bool m_cancelPending = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// A view that remembers what it was shown, for tests and headless runs. Each call becomes one
// entry: "caption:...", "header:...", "line:...", "percent:N:text", "close".
class RecordingProgressView final : public ProgressView {
public:
    struct Log {
        std::vector<std::string> events;
        std::function<void()> cancel;
        bool closed = false;
        void pressCancel() const {
            const std::function<void()> handler = cancel;
            if (handler) handler();
        }
        // The percentage texts in the order shown.
        std::vector<std::string> percentTexts() const;
    };

    explicit RecordingProgressView(std::shared_ptr<Log> log) : m_log(std::move(log)) {}

    void setCaption(std::string_view caption) override;
    void setHeader(std::string_view header) override;
    void setLine(std::string_view line) override;
    void setPercent(int percent, std::string_view text) override;
    void setCancelHandler(std::function<void()> handler) override { m_log->cancel = std::move(handler); }
    void close() override;

private:
    std::shared_ptr<Log> m_log;
};

}  // namespace cm
