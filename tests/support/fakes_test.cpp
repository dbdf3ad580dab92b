#include <gtest/gtest.h>

#include "support/fake_clock.h"
#include "support/fake_runtime.h"
#include "support/fake_timers.h"

namespace cm::test {
namespace {

TEST(FakeRuntimeTest, AnswersInOrderThenDefaults) {
    FakeRuntime rt;
    rt.answerNext(Button::No);
    MessageBoxRequest ask{"Run it now?", "Confirm Task", MessageIcon::Question, kButtonsYesNo, Button::No, Owner::Frame};
    MessageBoxRequest ok{"Saved", "Info", MessageIcon::Information, kButtonOk, Button::None, Owner::Window};
    EXPECT_EQ(rt.messageBox(ask), Button::No);
    EXPECT_EQ(rt.messageBox(ask), Button::No);  // default button
    EXPECT_EQ(rt.messageBox(ok), Button::Ok);
    rt.setQuitting(true);
    EXPECT_EQ(rt.messageBox(ask), Button::Aborted);
    ASSERT_EQ(rt.boxes().size(), 4u);
    EXPECT_EQ(rt.boxes()[0].request.title, "Confirm Task");
}

TEST(FakeTimersTest, FiresInTimeOrderAndMovesTheClock) {
    FakeClock clock(2026, 12, 11, 8, 0, 0);
    FakeTimers timers(&clock);
    std::vector<std::string> fired;
    timers.singleShot(std::chrono::milliseconds(500), [&] { fired.push_back("b"); });
    timers.singleShot(std::chrono::milliseconds(100), [&] {
        fired.push_back("a");
        timers.singleShot(std::chrono::milliseconds(100), [&] { fired.push_back("a2"); });
    });
    const TimerId p = timers.periodic(std::chrono::milliseconds(300), [&] { fired.push_back("p"); });
    timers.advance(std::chrono::milliseconds(650));
    timers.cancel(p);
    timers.advance(std::chrono::milliseconds(1000));
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "a2", "p", "b", "p"}));
    EXPECT_EQ(clock.now(), Time::fromHms(8, 0, 1, 65));
}

}  // namespace
}  // namespace cm::test
