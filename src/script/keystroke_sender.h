#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace cm {

class Clock;
class Keyboard;
class Runtime;
class Timers;
struct Settings;

// SendKeystrokes, timer-driven: the text is cut into send groups, each sent one send interval
// after the previous one, with the tray animating meanwhile. While a send is in progress the
// monitor holds its due, advance-warning, history and script steps (busy()).
//
// The send interval ("ScriptingDelay", at least 50 hundredths) and the group size
// ("BurstSize", 0 read as 7) are read from settings afresh for every group. With a clock, a
// group whose interval would end at or after midnight goes out at once; without one every
// group waits its full interval.
class KeystrokeSender {
public:
    static constexpr std::int32_t kMinSendInterval = 50;
    static constexpr std::string_view kSendingTip = "\"Send Keys\" in progress";
    static constexpr std::array<std::string_view, 4> kAnimationFrames{"tray_ico", "traybr_ico", "trayc_ico",
                                                                      "traydr_ico"};
    // What the tray shows when nobody said otherwise: the monitor's normal icon.
    static constexpr std::string_view kNormalTrayIcon = "tray_ico";

    KeystrokeSender(Keyboard& keyboard, Timers& timers, Runtime& runtime, const Settings& settings,
                    const Clock* clock = nullptr);
    ~KeystrokeSender();
    KeystrokeSender(const KeystrokeSender&) = delete;
    KeystrokeSender& operator=(const KeystrokeSender&) = delete;

    // Starts sending; done runs once the last group has been sent (or the send was aborted).
    // done never runs inside send(): a blank text finishes on a zero-delay timer. A send
    // while another is in progress is refused (false) and its done never runs.
    bool send(std::string_view keystrokes, std::function<void()> done = {});
    bool busy() const;
    // Stops after the group in progress (emptying the script queue calls this). Between
    // groups the waiting group is dropped and done runs before abort() returns; called from
    // inside a group (a backend's nested event loop), that group finishes first.
    void abort();

    // Tells the sender which icon the tray shows, so that it can put it back afterwards.
    void setTrayIconQuery(std::function<std::string()> currentIcon);

private:
    struct State;
    State* m_state;
};

}  // namespace cm
