#include "script/key_names.h"

#include <array>
#include <deque>
#include <string>
#include <unordered_map>

#include "base/fixed_text.h"
#include "shell/keyboard.h"

namespace cm {
namespace {

constexpr std::array<KeyName, KeyNames::kBaseCount> kBaseNames{{
    {"0", 0x30}, {"1", 0x31}, {"2", 0x32}, {"3", 0x33}, {"4", 0x34},
    {"5", 0x35}, {"6", 0x36}, {"7", 0x37}, {"8", 0x38}, {"9", 0x39},
    {"A", 0x41}, {"B", 0x42}, {"C", 0x43}, {"D", 0x44}, {"E", 0x45}, {"F", 0x46}, {"G", 0x47},
    {"H", 0x48}, {"I", 0x49}, {"J", 0x4A}, {"K", 0x4B}, {"L", 0x4C}, {"M", 0x4D}, {"N", 0x4E},
    {"O", 0x4F}, {"P", 0x50}, {"Q", 0x51}, {"R", 0x52}, {"S", 0x53}, {"T", 0x54}, {"U", 0x55},
    {"V", 0x56}, {"W", 0x57}, {"X", 0x58}, {"Y", 0x59}, {"Z", 0x5A},
    {"PAD0", 0x60}, {"PAD1", 0x61}, {"PAD2", 0x62}, {"PAD3", 0x63}, {"PAD4", 0x64},
    {"PAD5", 0x65}, {"PAD6", 0x66}, {"PAD7", 0x67}, {"PAD8", 0x68}, {"PAD9", 0x69},
    {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
    {"BS", 0x08}, {"TAB", 0x09}, {"ENTER", 0x0D}, {"PAUSE", 0x13}, {"ESC", 0x1B},
    {"SPACE", 0x20}, {"PGUP", 0x21}, {"PGDN", 0x22}, {"END", 0x23}, {"HOME", 0x24},
    {"LEFT", 0x25}, {"UP", 0x26}, {"RIGHT", 0x27}, {"DOWN", 0x28},
    {"PRINT", 0x2C}, {"INSERT", 0x2D}, {"DELETE", 0x2E},
    {"AST", 0x6A}, {"PLUS", 0x6B}, {"MINUS", 0x6D}, {"DECIMAL", 0x6E}, {"SLASH", 0x6F},
    {"MOUSELEFT", kMouseLeft}, {"MOUSERIGHT", kMouseRight}, {"MOUSECENTER", kMouseCenter},
    {"MOUSELEFT2", kMouseLeft2}, {"MOUSERIGHT2", kMouseRight2}, {"MOUSECENTER2", kMouseCenter2},
}};

// No other order of the modifiers is a prefix, and none carries all three.
constexpr std::array<KeyName, KeyNames::kPrefixCount> kPrefixes{{
    {"SHIFT", kKeyShift},
    {"CTRL", kKeyCtrl},
    {"ALT", kKeyAlt},
    {"CTRLALT", kKeyCtrl | kKeyAlt},
    {"CTRLSHIFT", kKeyCtrl | kKeyShift},
    {"ALTSHIFT", kKeyAlt | kKeyShift},
}};

// Plain names are the base names with "KEY" after them, except the digits and keypad digits,
// which put it in front ("KEY5", "KEYPAD5"). Bare letters, digits and names such as HOME are
// not plain names: [HOME] types HOME.
constexpr std::array<std::string_view, 34> kKeySuffixed{
    "BS",  "TAB",   "ENTER", "PAUSE", "ESC",    "SPACE",  "PGUP", "PGDN", "END",
    "HOME", "LEFT", "UP",    "RIGHT", "DOWN",   "PRINT",  "INSERT", "DELETE", "AST",
    "PLUS", "MINUS", "DECIMAL", "SLASH", "F1",  "F2",     "F3",   "F4",   "F5",
    "F6",  "F7",    "F8",    "F9",    "F10",    "F11",    "F12",
};
constexpr std::array<std::string_view, 26> kBareAliases{
    "TAB", "ENTER", "ESC", "SPACE", "LEFT", "UP", "RIGHT", "DOWN",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "MOUSELEFT", "MOUSERIGHT", "MOUSECENTER", "MOUSELEFT2", "MOUSERIGHT2", "MOUSECENTER2",
};
constexpr KeyName kCapsLock{"CAPSLOCKKEY", kCapsLockKey};

int baseCode(std::string_view name) {
    for (const KeyName& base : kBaseNames)
        if (base.name == name) return base.code;
    return -1;
}

enum Family { kDigitFamily, kCtrlFamily, kAltFamily, kShiftFamily, kPlainFamily, kFamilyCount };

Family familyOf(std::string_view upperName) {
    const std::string_view head = upperName.substr(0, 3);
    if (head == "KEY") return kDigitFamily;
    if (head == "CTR") return kCtrlFamily;
    if (head == "ALT") return kAltFamily;
    if (head == "SHI") return kShiftFamily;
    return kPlainFamily;
}

struct Tables {
    std::deque<std::string> storage;  // a deque, so the views below stay valid while it grows
    std::vector<KeyName> plain;
    std::vector<KeyName> modified;
    std::array<std::unordered_map<std::string_view, int>, kFamilyCount> families;

    std::string_view keep(std::string name) { return storage.emplace_back(std::move(name)); }

    Tables() {
        for (const KeyName& base : kBaseNames) {
            const bool digit = base.code >= 0x30 && base.code <= 0x39;
            const bool keypad = base.code >= 0x60 && base.code <= 0x69;
            const bool letter = base.code >= 0x41 && base.code <= 0x5A;
            if (digit || keypad) plain.push_back({keep("KEY" + std::string(base.name)), base.code});
            if (letter) plain.push_back({keep(std::string(base.name) + "KEY"), base.code});
        }
        for (std::string_view name : kKeySuffixed) plain.push_back({keep(std::string(name) + "KEY"), baseCode(name)});
        plain.push_back(kCapsLock);
        for (std::string_view name : kBareAliases) plain.push_back({name, baseCode(name)});

        for (const KeyName& prefix : kPrefixes)
            for (const KeyName& base : kBaseNames)
                modified.push_back({keep(std::string(prefix.name) + std::string(base.name)), prefix.code | base.code});

        for (const auto* list : {&plain, &modified})
            for (const KeyName& k : *list) families[familyOf(k.name)].emplace(k.name, k.code);
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

}  // namespace

std::span<const KeyName> KeyNames::baseNames() { return kBaseNames; }
std::span<const KeyName> KeyNames::prefixes() { return kPrefixes; }
const std::vector<KeyName>& KeyNames::plainNames() { return tables().plain; }
const std::vector<KeyName>& KeyNames::modifiedNames() { return tables().modified; }

std::optional<int> keyCodeForToken(std::string_view token) {
    const std::string_view trimmed = FixedText::trimTrailingBlanks(token);
    std::string upper(trimmed);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto& family = tables().families[familyOf(upper)];
    const auto it = family.find(upper);
    if (it == family.end()) return std::nullopt;
    return it->second;
}

}  // namespace cm
