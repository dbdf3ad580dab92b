#include "script/keystroke_sender.h"

#include <algorithm>

#include "base/time_of_day.h"
#include "script/keystroke_text.h"
#include "shell/clock.h"
#include "shell/keyboard.h"
#include "shell/runtime.h"
#include "shell/settings.h"
#include "shell/timers.h"

namespace cm {

struct KeystrokeSender::State {
    Keyboard& keyboard;
    Timers& timers;
    Runtime& runtime;
    const Settings& settings;
    const Clock* clock;
    std::function<std::string()> trayIconQuery;

    KeystrokeText text;
    std::function<void()> done;
    std::string rememberedIcon;
    std::size_t frame = 0;  // frames shown so far in this send
    TimerId timer = 0;
    bool busy = false;
    bool inGroup = false;
    bool abortRequested = false;

    State(Keyboard& k, Timers& t, Runtime& r, const Settings& s, const Clock* c)
        : keyboard(k), timers(t), runtime(r), settings(s), clock(c) {}

    bool trayPresent() const { return !settings.noTray; }
    std::int32_t sendInterval() const { return std::max(kMinSendInterval, settings.scriptingDelay); }

    void armNextGroup() {
        const std::int32_t interval = sendInterval();
        std::int32_t delay = interval;
        // The wait ends on the clock, which runs only up to midnight: an interval that would
        // reach it is not waited for at all.
        if (clock && static_cast<std::int64_t>(clock->now()) + interval >= Time::kOneDay) delay = 0;
        if (trayPresent()) {
            runtime.setTrayIcon(kAnimationFrames[frame % kAnimationFrames.size()]);
            runtime.setTrayTip(kSendingTip);
            ++frame;
        }
        timer = timers.singleShot(Timers::hundredths(delay), [this] { sendGroup(); });
    }

    void sendGroup() {
        timer = 0;
        const SendGroup group = text.takeGroup(KeystrokeText::effectiveGroupSize(settings.burstSize));
        inGroup = true;
        // The sender never fails: a key the desktop refuses is simply not delivered.
        switch (group.kind) {
        case SendGroup::Kind::Text:
            keyboard.typeText(group.text);
            break;
        case SendGroup::Kind::Key:
            keyboard.pressKey(group.keyCode);
            break;
        case SendGroup::Kind::Nothing:
            break;
        }
        inGroup = false;
        if (abortRequested || text.finished())
            finish();
        else
            armNextGroup();
    }

    // The tip is left as it is: the monitor rewrites it at its next refresh.
    void finish() {
        if (timer != 0) timers.cancel(timer);
        timer = 0;
        if (frame > 0 && trayPresent()) runtime.setTrayIcon(rememberedIcon);
        busy = false;
        abortRequested = false;
        text = KeystrokeText();
        // Taken out first: done may well start the next send.
        std::function<void()> callback = std::move(done);
        done = nullptr;
        if (callback) callback();
    }
};

KeystrokeSender::KeystrokeSender(Keyboard& keyboard, Timers& timers, Runtime& runtime, const Settings& settings,
                                 const Clock* clock)
    : m_state(new State(keyboard, timers, runtime, settings, clock)) {}

KeystrokeSender::~KeystrokeSender() {
    if (m_state->timer != 0) m_state->timers.cancel(m_state->timer);
    delete m_state;
}

bool KeystrokeSender::send(std::string_view keystrokes, std::function<void()> done) {
    State& s = *m_state;
    if (s.busy) return false;
    s.busy = true;
    s.abortRequested = false;
    s.text = KeystrokeText(keystrokes);
    s.done = std::move(done);
    s.frame = 0;
    s.rememberedIcon = s.trayIconQuery ? s.trayIconQuery() : std::string(kNormalTrayIcon);
    if (s.text.finished())
        s.timer = s.timers.singleShot(std::chrono::milliseconds(0), [&s] {
            s.timer = 0;
            s.finish();
        });
    else
        s.armNextGroup();
    return true;
}

bool KeystrokeSender::busy() const { return m_state->busy; }

void KeystrokeSender::abort() {
    State& s = *m_state;
    if (!s.busy) return;
    if (s.inGroup) {
        s.abortRequested = true;
        return;
    }
    s.finish();
}

void KeystrokeSender::setTrayIconQuery(std::function<std::string()> currentIcon) {
    m_state->trayIconQuery = std::move(currentIcon);
}

}  // namespace cm
