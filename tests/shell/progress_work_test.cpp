#include "shell/progress_work.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/fake_timers.h"

namespace cm {
namespace {

using Strings = std::vector<std::string>;

class ProgressWorkTest : public ::testing::Test {
protected:
    // Runs batches that report the given percentages, the last one done.
    void startWith(std::vector<int> percents, ProgressOptions options = {}) {
        m_percents = std::move(percents);
        work.setFinished([this](ProgressOutcome o) { outcome = o; });
        work.start(std::make_unique<RecordingProgressView>(log), std::move(options), [this] {
            ++steps;
            if (onStep) onStep();
            const std::size_t i = std::min(static_cast<std::size_t>(steps), m_percents.size()) - 1;
            return ProgressStep{steps >= static_cast<int>(m_percents.size()), m_percents[i]};
        });
    }
    void runOut() {
        while (timers.fireNext()) {
        }
    }

    test::FakeTimers timers;
    ProgressWork work{timers};
    std::shared_ptr<RecordingProgressView::Log> log = std::make_shared<RecordingProgressView::Log>();
    std::function<void()> onStep;
    int steps = 0;
    std::optional<ProgressOutcome> outcome;

private:
    std::vector<int> m_percents;
};

TEST_F(ProgressWorkTest, OpensWithItsTextsAndRunsOneBatchPerTick) {
    ProgressOptions options;
    options.caption = "Processing Records";
    options.header = "Exporting Records";
    options.line = "Sending";
    startWith({10, 20, 30}, options);

    EXPECT_EQ(log->events, (Strings{"caption:Processing Records", "header:Exporting Records", "line:Sending",
                                    "percent:0:0% Completed"}));
    EXPECT_EQ(steps, 0) << "the first batch waits for the timer";
    ASSERT_TRUE(timers.fireNext());
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(timers.pending(), 1u) << "the next batch is armed only after this one";
    runOut();
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(outcome, ProgressOutcome::Completed);
    EXPECT_TRUE(log->closed);
    EXPECT_FALSE(work.running());
    EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(ProgressWorkTest, PercentageLineChangesOnlyWithTheWholePercentage) {
    struct Case {
        bool trim;
        bool completed;
        std::vector<int> percents;
        Strings texts;
    };
    const Case cases[] = {
        {false,
         true,
         {0, 3, 3, 50, 50, 140},
         {"0% Completed", "  3% Completed", " 50% Completed", "100% Completed", "Process Completed"}},
        {true, false, {-5, 7, 7, 100}, {"0% Completed", "7% Completed", "100% Completed"}},
        // Work that ends at once still shows how it ended.
        {false, true, {0}, {"0% Completed", "Process Completed"}},
    };
    for (const Case& c : cases) {
        log = std::make_shared<RecordingProgressView::Log>();
        steps = 0;
        ProgressOptions options;
        options.trimPercent = c.trim;
        options.showCompleted = c.completed;
        startWith(c.percents, options);
        runOut();
        EXPECT_EQ(log->percentTexts(), c.texts) << "trim " << c.trim << ", completed " << c.completed;
        EXPECT_EQ(log->events.back(), "close");
    }
}

TEST_F(ProgressWorkTest, CancelAsksAndNoBatchRunsWhileTheQuestionIsOpen) {
    struct Case {
        bool stop;
        int stepsAfter;
        ProgressOutcome outcome;
    };
    for (const Case c : {Case{true, 1, ProgressOutcome::Cancelled}, Case{false, 4, ProgressOutcome::Completed}}) {
        log = std::make_shared<RecordingProgressView::Log>();
        steps = 0;
        outcome.reset();
        int questions = 0;
        work.setCancelQuestion([&] {
            ++questions;
            EXPECT_EQ(timers.pending(), 0u) << "a batch could run behind the question";
            return c.stop;
        });
        startWith({25, 50, 75, 100});
        ASSERT_TRUE(timers.fireNext());
        log->pressCancel();
        runOut();
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(steps, c.stepsAfter) << "stop " << c.stop;
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_TRUE(log->closed);
        EXPECT_EQ(log->percentTexts().back(), c.stop ? " 25% Completed" : "Process Completed");
    }
}

TEST_F(ProgressWorkTest, CancelWithoutAQuestionStopsAtOnce) {
    startWith({25, 50, 100});
    ASSERT_TRUE(timers.fireNext());
    log->pressCancel();
    EXPECT_EQ(outcome, ProgressOutcome::Cancelled);
    EXPECT_TRUE(log->closed);
    EXPECT_EQ(timers.pending(), 0u);
}

// A batch that opens a box of its own lets the user reach Cancel meanwhile: the question waits
// until the batch is over, and the batch's result is still shown.
TEST_F(ProgressWorkTest, CancelDuringABatchIsAskedAfterIt) {
    int questions = 0;
    work.setCancelQuestion([&] {
        ++questions;
        return true;
    });
    onStep = [this] {
        if (steps == 2) log->pressCancel();
    };
    startWith({25, 50, 75, 100});
    timers.fireNext();
    timers.fireNext();
    EXPECT_EQ(questions, 1);
    runOut();
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(log->percentTexts().back(), " 50% Completed");
    EXPECT_EQ(outcome, ProgressOutcome::Cancelled);
}

TEST_F(ProgressWorkTest, StopFromInsideABatchAndDestroyingTheRunnerCloseTheView) {
    onStep = [this] { work.stop(); };
    startWith({10, 100});
    timers.fireNext();
    EXPECT_EQ(outcome, ProgressOutcome::Stopped);
    EXPECT_TRUE(log->closed);
    EXPECT_EQ(timers.pending(), 0u);

    auto other = std::make_shared<RecordingProgressView::Log>();
    {
        ProgressWork scoped(timers);
        scoped.start(std::make_unique<RecordingProgressView>(other), {}, [] { return ProgressStep{false, 1}; });
    }
    EXPECT_TRUE(other->closed);
    EXPECT_EQ(timers.pending(), 0u);
    other->pressCancel();  // a late click reaches nothing
}

}  // namespace
}  // namespace cm
