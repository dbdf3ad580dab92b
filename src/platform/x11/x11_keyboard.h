#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "shell/keyboard.h"

namespace cm {

class X11Session;

// Keys and clicks through XTest into the window that has the focus.
//
// Characters go through the active keyboard layout (the current XKB group): each one is
// looked up as a keysym, and the modifiers its shift level needs are held around the key,
// with locked modifiers (Caps Lock, Num Lock) taken into account. A character the layout
// lacks is put on a spare keycode (one without symbols) for the moment. The spare keys keep
// their characters while they are reused, and are given back once idle or when the keyboard
// ends: a client reads the changed mapping only when it handles the key event, so taking it
// back at once could make it read the wrong symbol.
//
// Before typing it waits, up to kReleaseWait, until the user has let go of Shift, Ctrl, Alt and
// the like, which would otherwise combine with the fake keys; after that it types anyway.
class X11Keyboard final : public Keyboard {
public:
    static constexpr std::chrono::milliseconds kReleaseWait{1000};
    // How long a spare key keeps a character it no longer serves before it is given back.
    static constexpr std::chrono::milliseconds kSpareKeyHold{1000};

    explicit X11Keyboard(X11Session& session);
    ~X11Keyboard() override;

    bool typeText(std::string_view text) override;
    bool pressKey(int keyCode) override;

    // The X keysym of a virtual-key code's low byte; 0 for none (mouse codes included).
    static unsigned long keysymForVirtualKey(int virtualKey);

private:
    struct SpareKey {
        unsigned char keycode = 0;
        unsigned long keysym = 0;
        std::chrono::steady_clock::time_point lastUse;
    };
    struct Stroke;

    bool typeKeysym(unsigned long keysym);
    std::optional<Stroke> findStroke(unsigned long keysym, unsigned int extraMods);
    std::optional<unsigned char> spareKeyFor(unsigned long keysym);
    void sendStroke(const Stroke& stroke);
    void click(unsigned int button, int times, int modifiers);
    void waitForModifierRelease();
    void giveBackIdleSpareKeys(bool all);

    X11Session& m_session;
    std::vector<SpareKey> m_spare;
};

}  // namespace cm
