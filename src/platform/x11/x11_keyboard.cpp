#include "platform/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <thread>

#include "platform/x11/x11_session.h"

namespace cm {

namespace {

constexpr int kModifierCount = 8;  // Shift, Lock, Control, Mod1..Mod5
constexpr unsigned long kUnicodeKeysym = 0x01000000;
constexpr auto kPollStep = std::chrono::milliseconds(10);
// A spare key taken from one character for another waits this long after its last use, so
// the target has read the key events that used the old character.
constexpr auto kSpareReuseGap = std::chrono::milliseconds(100);
// A window manager that takes clicks first (click to focus) hands them on to the window only
// after a moment, with the modifiers as they are by then: the click's modifiers stay down
// that long, and the next key or click waits for it.
constexpr auto kClickSettle = std::chrono::milliseconds(50);

std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            ++i;  // a stray byte is no character
            continue;
        }
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (next & 0x3F);
        }
        i += valid ? length : 1;
        if (valid) out.push_back(cp);
    }
    return out;
}

unsigned long keysymForCharacter(char32_t cp) {
    switch (cp) {
        case '\n':
        case '\r': return XK_Return;
        case '\t': return XK_Tab;
        case '\b': return XK_BackSpace;
        case 0x1B: return XK_Escape;
        case 0x20AC: return XK_EuroSign;
        default: break;
    }
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return NoSymbol;
    if (cp <= 0xFF) return cp;  // Latin-1 keysyms equal their code points
    return kUnicodeKeysym | cp;
}

bool isLockKeysym(KeySym keysym) {
    return keysym == XK_Caps_Lock || keysym == XK_Shift_Lock || keysym == XK_Num_Lock || keysym == XK_Scroll_Lock;
}

// The keyboard as it is now: the XKB map, the lock state and the keys of each modifier.
class Layout {
public:
    explicit Layout(Display* dpy) {
        m_xkb = XkbGetMap(dpy, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
        XkbStateRec state{};
        if (XkbGetState(dpy, XkbUseCoreKbd, &state) == Success) {
            m_group = state.group;
            m_locked = state.locked_mods | state.latched_mods;
        }
        XModifierKeymap* map = XGetModifierMapping(dpy);
        if (map != nullptr) {
            for (int mod = 0; mod < kModifierCount; ++mod) {
                for (int k = 0; k < map->max_keypermod; ++k) {
                    const KeyCode code = map->modifiermap[mod * map->max_keypermod + k];
                    if (code == 0) continue;
                    const bool lock = isLockKeysym(XkbKeycodeToKeysym(dpy, code, 0, 0));
                    if (m_modifierKey[mod] == 0) {
                        m_modifierKey[mod] = code;
                        m_modifierIsLock[mod] = lock;
                    }
                    if (!lock) m_heldKeys.push_back(code);
                }
            }
            XFreeModifiermap(map);
        }
    }
    ~Layout() {
        if (m_xkb != nullptr) XkbFreeKeyboard(m_xkb, 0, True);
    }
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;

    bool valid() const { return m_xkb != nullptr; }
    XkbDescPtr xkb() const { return m_xkb; }
    int group() const { return m_group; }
    unsigned int locked() const { return m_locked; }
    KeyCode modifierKey(int mod) const { return m_modifierKey[mod]; }
    bool modifierIsLock(int mod) const { return m_modifierIsLock[mod]; }
    unsigned int lockKeyMods() const {
        unsigned int mods = 0;
        for (int mod = 0; mod < kModifierCount; ++mod)
            if (m_modifierIsLock[mod]) mods |= 1u << mod;
        return mods;
    }
    // Modifier keys that act while held (not the lock keys).
    const std::vector<KeyCode>& heldModifierKeys() const { return m_heldKeys; }

    // The group a key uses when the keyboard is in the current group.
    int groupOf(KeyCode code) const {
        const int groups = XkbKeyNumGroups(m_xkb, code);
        return m_group < groups ? m_group : 0;
    }

    bool hasNoSymbols(KeyCode code) const {
        const int count = XkbKeyNumSyms(m_xkb, code);
        const KeySym* syms = XkbKeySymsPtr(m_xkb, code);
        return std::all_of(syms, syms + count, [](KeySym s) { return s == NoSymbol; });
    }

private:
    XkbDescPtr m_xkb = nullptr;
    int m_group = 0;
    unsigned int m_locked = 0;
    KeyCode m_modifierKey[kModifierCount] = {};
    bool m_modifierIsLock[kModifierCount] = {};
    std::vector<KeyCode> m_heldKeys;
};

int levelFor(const XkbKeyTypeRec& type, unsigned int mods) {
    const unsigned int relevant = mods & type.mods.mask;
    for (int i = 0; i < type.map_count; ++i) {
        const XkbKTMapEntryRec& entry = type.map[i];
        if (entry.active && entry.mods.mask == relevant) return entry.level;
    }
    return 0;
}

struct LevelModifiers {
    unsigned int mods = 0;
    int cost = 0;
};

// The cheapest modifiers that, with the locked ones, select a level of a key type. A lock
// key costs more than a held one: it is tapped twice and flickers the keyboard's light.
std::optional<LevelModifiers> modifiersForLevel(const XkbKeyTypeRec& type, int level, unsigned int locked,
                                                unsigned int lockKeyMods) {
    std::optional<LevelModifiers> best;
    const unsigned int mask = type.mods.mask;
    // Every subset of the type's modifiers (a handful of bits), the empty one included.
    for (unsigned int subset = mask;; subset = (subset - 1) & mask) {
        if (levelFor(type, subset | locked) == level) {
            const unsigned int mods = subset & ~locked;
            const int cost = std::popcount(mods & ~lockKeyMods) + 2 * std::popcount(mods & lockKeyMods);
            if (!best || cost < best->cost) best = LevelModifiers{mods, cost};
        }
        if (subset == 0) break;
    }
    return best;
}

}  // namespace

struct X11Keyboard::Stroke {
    KeyCode keycode = 0;
    std::vector<KeyCode> hold;    // pressed in order before the key, released in reverse after
    std::vector<KeyCode> toggle;  // lock keys tapped before and again after
};

X11Keyboard::X11Keyboard(X11Session& session) : m_session(session) {}

X11Keyboard::~X11Keyboard() { giveBackIdleSpareKeys(true); }

namespace {

// The keys that put a set of real modifiers into effect.
void addModifierKeys(const Layout& layout, unsigned int mods, std::vector<KeyCode>& hold, std::vector<KeyCode>& toggle) {
    for (int mod = 0; mod < kModifierCount; ++mod) {
        if ((mods & (1u << mod)) == 0) continue;
        const KeyCode key = layout.modifierKey(mod);
        if (key == 0) continue;
        auto& list = layout.modifierIsLock(mod) ? toggle : hold;
        if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
    }
}

}  // namespace

std::optional<X11Keyboard::Stroke> X11Keyboard::findStroke(unsigned long keysym, unsigned int extraMods) {
    Layout layout(m_session.display());
    if (!layout.valid()) return std::nullopt;
    XkbDescPtr xkb = layout.xkb();
    std::optional<Stroke> best;
    int bestCost = 0;
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
        const auto key = static_cast<KeyCode>(code);
        if (XkbKeyNumGroups(xkb, key) == 0) continue;
        const int group = layout.groupOf(key);
        const XkbKeyTypeRec* type = XkbKeyKeyType(xkb, key, group);
        const int width = XkbKeyGroupWidth(xkb, key, group);
        for (int level = 0; level < width; ++level) {
            if (XkbKeySymEntry(xkb, key, level, group) != keysym) continue;
            const auto mods = modifiersForLevel(*type, level, layout.locked(), layout.lockKeyMods());
            if (!mods || (best && mods->cost >= bestCost)) continue;
            Stroke stroke;
            stroke.keycode = key;
            addModifierKeys(layout, mods->mods | extraMods, stroke.hold, stroke.toggle);
            best = std::move(stroke);
            bestCost = mods->cost;
        }
    }
    return best;
}

std::optional<unsigned char> X11Keyboard::spareKeyFor(unsigned long keysym) {
    Display* dpy = m_session.display();
    const auto now = std::chrono::steady_clock::now();
    for (SpareKey& spare : m_spare) {
        if (spare.keysym == keysym) {
            spare.lastUse = now;
            return spare.keycode;
        }
    }

    std::optional<unsigned char> code;
    {
        Layout layout(dpy);
        if (!layout.valid()) return std::nullopt;
        XkbDescPtr xkb = layout.xkb();
        for (int c = xkb->max_key_code; c >= xkb->min_key_code && !code; --c) {
            const auto key = static_cast<KeyCode>(c);
            const bool ours = std::any_of(m_spare.begin(), m_spare.end(), [&](const SpareKey& s) { return s.keycode == key; });
            if (!ours && layout.hasNoSymbols(key)) code = key;
        }
    }
    if (!code) {
        if (m_spare.empty()) return std::nullopt;
        auto oldest = std::min_element(m_spare.begin(), m_spare.end(),
                                       [](const SpareKey& a, const SpareKey& b) { return a.lastUse < b.lastUse; });
        std::this_thread::sleep_until(oldest->lastUse + kSpareReuseGap);
        code = oldest->keycode;
        m_spare.erase(oldest);
    }

    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(dpy, *code, 2, syms, 1);
    XSync(dpy, False);
    m_spare.push_back(SpareKey{*code, keysym, std::chrono::steady_clock::now()});
    return code;
}

void X11Keyboard::giveBackIdleSpareKeys(bool all) {
    if (!m_session.isOpen() || m_spare.empty()) return;
    Display* dpy = m_session.display();
    const auto now = std::chrono::steady_clock::now();
    const auto idle = std::remove_if(m_spare.begin(), m_spare.end(), [&](const SpareKey& spare) {
        if (!all && now - spare.lastUse < kSpareKeyHold) return false;
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(dpy, spare.keycode, 1, &none, 1);
        return true;
    });
    if (idle == m_spare.end()) return;
    m_spare.erase(idle, m_spare.end());
    XSync(dpy, False);
}

void X11Keyboard::waitForModifierRelease() {
    Display* dpy = m_session.display();
    Layout layout(dpy);
    const auto deadline = std::chrono::steady_clock::now() + kReleaseWait;
    for (;;) {
        char keys[32] = {};
        XQueryKeymap(dpy, keys);
        const bool held = std::any_of(layout.heldModifierKeys().begin(), layout.heldModifierKeys().end(),
                                      [&](KeyCode code) { return (keys[code / 8] & (1 << (code % 8))) != 0; });
        if (!held || std::chrono::steady_clock::now() >= deadline) return;
        std::this_thread::sleep_for(kPollStep);
    }
}

void X11Keyboard::sendStroke(const Stroke& stroke) {
    Display* dpy = m_session.display();
    auto tap = [dpy](KeyCode code) {
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    };
    for (const KeyCode code : stroke.toggle) tap(code);
    for (const KeyCode code : stroke.hold) XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    tap(stroke.keycode);
    for (auto it = stroke.hold.rbegin(); it != stroke.hold.rend(); ++it) XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    for (const KeyCode code : stroke.toggle) tap(code);
    XSync(dpy, False);
}

bool X11Keyboard::typeKeysym(unsigned long keysym) {
    if (auto stroke = findStroke(keysym, 0)) {
        sendStroke(*stroke);
        return true;
    }
    const auto spare = spareKeyFor(keysym);
    if (!spare) return false;
    // Both levels of the spare key carry the character, so no modifier is needed.
    Stroke stroke;
    stroke.keycode = *spare;
    sendStroke(stroke);
    return true;
}

bool X11Keyboard::typeText(std::string_view text) {
    if (!m_session.isOpen()) return false;
    m_session.discardEvents();
    giveBackIdleSpareKeys(false);
    waitForModifierRelease();
    const std::vector<char32_t> characters = decodeUtf8(text);
    bool typedAll = true;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        // CR LF is one line end.
        if (characters[i] == '\r' && i + 1 < characters.size() && characters[i + 1] == '\n') continue;
        const unsigned long keysym = keysymForCharacter(characters[i]);
        if (keysym == NoSymbol || !typeKeysym(keysym)) typedAll = false;
    }
    m_session.discardEvents();
    return typedAll;
}

void X11Keyboard::click(unsigned int button, int times, int modifiers) {
    Display* dpy = m_session.display();
    Stroke mods;
    {
        Layout layout(dpy);
        addModifierKeys(layout, modifiers, mods.hold, mods.toggle);
    }
    for (const KeyCode code : mods.hold) XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    for (int i = 0; i < times; ++i) {
        XTestFakeButtonEvent(dpy, button, True, CurrentTime);
        XTestFakeButtonEvent(dpy, button, False, CurrentTime);
    }
    XSync(dpy, False);
    std::this_thread::sleep_for(kClickSettle);
    for (auto it = mods.hold.rbegin(); it != mods.hold.rend(); ++it) XTestFakeKeyEvent(dpy, *it, False, CurrentTime);
    XSync(dpy, False);
}

bool X11Keyboard::pressKey(int keyCode) {
    if (!m_session.isOpen()) return false;
    m_session.discardEvents();
    giveBackIdleSpareKeys(false);
    waitForModifierRelease();

    unsigned int mods = 0;
    if (keyCode & kKeyShift) mods |= ShiftMask;
    if (keyCode & kKeyCtrl) mods |= ControlMask;
    if (keyCode & kKeyAlt) mods |= Mod1Mask;
    const int virtualKey = keyCode & 0xFF;

    // Left, right and middle; the "2" forms (5, 6, 7) click twice. X numbers the right button 3.
    switch (virtualKey) {
        case 1: click(Button1, 1, mods); return true;
        case 2: click(Button3, 1, mods); return true;
        case 3: click(Button2, 1, mods); return true;
        case 5: click(Button1, 2, mods); return true;
        case 6: click(Button3, 2, mods); return true;
        case 7: click(Button2, 2, mods); return true;
        default: break;
    }

    const unsigned long keysym = keysymForVirtualKey(virtualKey);
    if (keysym == NoSymbol) return false;
    const auto stroke = findStroke(keysym, mods);
    if (!stroke) return false;
    sendStroke(*stroke);
    m_session.discardEvents();
    return true;
}

unsigned long X11Keyboard::keysymForVirtualKey(int virtualKey) {
    if (virtualKey >= 0x30 && virtualKey <= 0x39) return XK_0 + (virtualKey - 0x30);
    if (virtualKey >= 0x41 && virtualKey <= 0x5A) return XK_a + (virtualKey - 0x41);
    if (virtualKey >= 0x60 && virtualKey <= 0x69) return XK_KP_0 + (virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x87) return XK_F1 + (virtualKey - 0x70);
    switch (virtualKey) {
        case 0x08: return XK_BackSpace;
        case 0x09: return XK_Tab;
        case 0x0C: return XK_Clear;
        case 0x0D: return XK_Return;
        case 0x10: return XK_Shift_L;
        case 0x11: return XK_Control_L;
        case 0x12: return XK_Alt_L;
        case 0x13: return XK_Pause;
        case 0x14: return XK_Caps_Lock;
        case 0x1B: return XK_Escape;
        case 0x20: return XK_space;
        case 0x21: return XK_Prior;
        case 0x22: return XK_Next;
        case 0x23: return XK_End;
        case 0x24: return XK_Home;
        case 0x25: return XK_Left;
        case 0x26: return XK_Up;
        case 0x27: return XK_Right;
        case 0x28: return XK_Down;
        case 0x29: return XK_Select;
        case 0x2A: return XK_Print;
        case 0x2B: return XK_Execute;
        case 0x2C: return XK_Print;
        case 0x2D: return XK_Insert;
        case 0x2E: return XK_Delete;
        case 0x2F: return XK_Help;
        case 0x5B: return XK_Super_L;
        case 0x5C: return XK_Super_R;
        case 0x5D: return XK_Menu;
        case 0x6A: return XK_KP_Multiply;
        case 0x6B: return XK_KP_Add;
        case 0x6C: return XK_KP_Separator;
        case 0x6D: return XK_KP_Subtract;
        case 0x6E: return XK_KP_Decimal;
        case 0x6F: return XK_KP_Divide;
        case 0x90: return XK_Num_Lock;
        case 0x91: return XK_Scroll_Lock;
        case 0xA0: return XK_Shift_L;
        case 0xA1: return XK_Shift_R;
        case 0xA2: return XK_Control_L;
        case 0xA3: return XK_Control_R;
        case 0xA4: return XK_Alt_L;
        case 0xA5: return XK_Alt_R;
        // The punctuation keys of a US keyboard, by the symbol they carry there.
        case 0xBA: return XK_semicolon;
        case 0xBB: return XK_equal;
        case 0xBC: return XK_comma;
        case 0xBD: return XK_minus;
        case 0xBE: return XK_period;
        case 0xBF: return XK_slash;
        case 0xC0: return XK_grave;
        case 0xDB: return XK_bracketleft;
        case 0xDC: return XK_backslash;
        case 0xDD: return XK_bracketright;
        case 0xDE: return XK_apostrophe;
        default: return NoSymbol;
    }
}

}  // namespace cm
