#pragma once

#include <string_view>

namespace cm {

// Key codes: the low byte is a Windows virtual-key code (1, 2, 3 and 5, 6, 7 are mouse
// buttons), with 0x100 Shift, 0x200 Ctrl and 0x400 Alt above it.
constexpr int kKeyShift = 0x100;
constexpr int kKeyCtrl = 0x200;
constexpr int kKeyAlt = 0x400;

// Synthetic input into whatever window has the focus.
class Keyboard {
public:
    virtual ~Keyboard() = default;
    // Types the characters of a UTF-8 text.
    virtual bool typeText(std::string_view text) = 0;
    // Presses and releases one key code with its modifiers; mouse codes click at the pointer.
    virtual bool pressKey(int keyCode) = 0;
};

}  // namespace cm
