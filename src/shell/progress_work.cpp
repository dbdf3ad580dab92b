#include "shell/progress_work.h"

#include <algorithm>

#include "base/picture.h"

namespace cm {

ProgressWork::~ProgressWork() {
    *m_alive = false;
    if (m_timer != 0) m_timers.cancel(m_timer);
    if (m_view) m_view->close();
}

std::string ProgressWork::percentText(int percent, bool trimmed) {
    std::string number = formatNumber(percent, kPercentPicture);
    if (trimmed) number.erase(0, std::min(number.find_first_not_of(' '), number.size()));
    return number + std::string(kPercentSuffix);
}

void ProgressWork::start(std::unique_ptr<ProgressView> view, ProgressOptions options, Step step) {
    if (running()) finish(ProgressOutcome::Stopped, false);
    m_options = std::move(options);
    m_step = std::move(step);
    m_shown = 0;
    m_cancelPending = false;
    m_view = std::move(view);
    m_view->setCaption(m_options.caption);
    m_view->setHeader(m_options.header);
    m_view->setLine(m_options.line);
    m_view->setPercent(0, kInitialPercent);
    m_view->setCancelHandler([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock()) cancelPressed();
    });
    arm();
}

void ProgressWork::stop() {
    if (running()) finish(ProgressOutcome::Stopped);
}

void ProgressWork::setLine(std::string_view line) {
    m_options.line = std::string(line);
    if (m_view) m_view->setLine(line);
}

void ProgressWork::arm() {
    m_timer = m_timers.singleShot(m_options.tick, [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock()) tick();
    });
}

void ProgressWork::tick() {
    m_timer = 0;
    if (!running()) return;
    const std::weak_ptr<bool> alive = m_alive;
    // A copy: the step may start other work on this runner, replacing m_step while it runs.
    const Step step = m_step;
    m_inStep = true;
    const ProgressStep result = step();
    if (alive.expired()) return;
    m_inStep = false;
    if (!running()) return;

    const int percent = std::clamp(result.percent, 0, 100);
    if (percent != m_shown) {
        m_shown = percent;
        m_view->setPercent(percent, percentText(percent, m_options.trimPercent));
    }
    if (result.done) {
        if (m_options.showCompleted) m_view->setPercent(m_shown, kCompletedText);
        finish(ProgressOutcome::Completed);
        return;
    }
    if (m_cancelPending) {
        m_cancelPending = false;
        cancelPressed();
        return;
    }
    arm();
}

void ProgressWork::cancelPressed() {
    if (!running() || m_asking) return;
    // A batch that opened a box of its own is still running: Cancel waits for it to end.
    if (m_inStep) {
        m_cancelPending = true;
        return;
    }
    // No batch runs while the question is open.
    if (m_timer != 0) m_timers.cancel(m_timer);
    m_timer = 0;
    if (!m_question) {
        finish(ProgressOutcome::Cancelled);
        return;
    }
    const std::weak_ptr<bool> alive = m_alive;
    m_asking = true;
    const CancelQuestion question = m_question;
    const bool stopWork = question();
    if (alive.expired()) return;
    m_asking = false;
    if (!running()) return;
    if (stopWork)
        finish(ProgressOutcome::Cancelled);
    else
        arm();
}

void ProgressWork::finish(ProgressOutcome outcome, bool notify) {
    if (m_timer != 0) m_timers.cancel(m_timer);
    m_timer = 0;
    m_cancelPending = false;
    std::unique_ptr<ProgressView> view = std::move(m_view);
    if (view) view->close();
    view.reset();
    if (notify && m_finished) {
        const Finished finished = m_finished;
        finished(outcome);
    }
}

std::vector<std::string> RecordingProgressView::Log::percentTexts() const {
    std::vector<std::string> out;
    for (const std::string& e : events) {
        if (e.rfind("percent:", 0) != 0) continue;
        out.push_back(e.substr(e.find(':', 8) + 1));
    }
    return out;
}

void RecordingProgressView::setCaption(std::string_view caption) {
    m_log->events.push_back("caption:" + std::string(caption));
}

void RecordingProgressView::setHeader(std::string_view header) {
    m_log->events.push_back("header:" + std::string(header));
}

void RecordingProgressView::setLine(std::string_view line) {
    m_log->events.push_back("line:" + std::string(line));
}

void RecordingProgressView::setPercent(int percent, std::string_view text) {
    m_log->events.push_back("percent:" + std::to_string(percent) + ":" + std::string(text));
}

void RecordingProgressView::close() {
    m_log->events.emplace_back("close");
    m_log->closed = true;
}

}  // namespace cm
