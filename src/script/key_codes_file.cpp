#include "script/key_codes_file.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "script/key_names.h"
#include "shell/keyboard.h"

namespace cm {

namespace {

constexpr std::size_t kTokenColumn = 26;
constexpr std::size_t kKeyColumn = 40;

struct KeyDescription {
    int code;
    std::string_view text;
};

// What the keys without a self-explaining name press.
constexpr std::array<KeyDescription, 29> kDescriptions{{
    {0x08, "Backspace"},     {0x09, "Tab"},          {0x0D, "Enter"},         {0x13, "Pause"},
    {0x14, "Caps Lock"},     {0x1B, "Esc"},          {0x20, "Space bar"},     {0x21, "Page Up"},
    {0x22, "Page Down"},     {0x23, "End"},          {0x24, "Home"},          {0x25, "Left arrow"},
    {0x26, "Up arrow"},      {0x27, "Right arrow"},  {0x28, "Down arrow"},    {0x2C, "Print Screen"},
    {0x2D, "Insert"},        {0x2E, "Delete"},       {0x6A, "Keypad *"},      {0x6B, "Keypad +"},
    {0x6D, "Keypad -"},      {0x6E, "Keypad ."},     {0x6F, "Keypad /"},
    {kMouseLeft, "Click, left button"},              {kMouseRight, "Click, right button"},
    {kMouseCenter, "Click, middle button"},          {kMouseLeft2, "Double click, left button"},
    {kMouseRight2, "Double click, right button"},    {kMouseCenter2, "Double click, middle button"},
}};

std::string modifierText(int code) {
    std::string out;
    if (code & kKeyCtrl) out += "Ctrl+";
    if (code & kKeyAlt) out += "Alt+";
    if (code & kKeyShift) out += "Shift+";
    return out;
}

std::string keyText(int code) {
    const int key = code & 0xFF;
    std::string out = modifierText(code);
    if ((key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A)) return out + static_cast<char>(key);
    if (key >= 0x60 && key <= 0x69) return out + "Keypad " + static_cast<char>('0' + key - 0x60);
    if (key >= 0x70 && key <= 0x7B) return out + "F" + std::to_string(key - 0x70 + 1);
    for (const KeyDescription& d : kDescriptions)
        if (d.code == key) return out + std::string(d.text);
    return out + "key " + std::to_string(key);
}

std::string hexCode(int code) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%03X", static_cast<unsigned>(code));
    return buffer;
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

void row(std::string& out, std::string_view name, int code) {
    out += "  " + padded("[" + std::string(name) + "]", kTokenColumn) + padded(keyText(code), kKeyColumn) +
           hexCode(code) + "\n";
}

void heading(std::string& out, std::string_view title) {
    out += "\n";
    out += title;
    out += "\n";
    out += std::string(title.size(), '-') + "\n";
}

void columnHeads(std::string& out) {
    out += "\n  " + padded("Token", kTokenColumn) + padded("Presses", kKeyColumn) + "Code\n";
}

void paragraph(std::string& out, std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) {
        out += line;
        out += "\n";
    }
}

void note(std::string& out, std::string_view token, std::string_view text) {
    out += "  " + padded(std::string(token), kTokenColumn) + std::string(text) + "\n";
}

bool startsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }
bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

enum class PlainGroup { Letter, Digit, Other, Bare, Mouse };

PlainGroup groupOf(std::string_view name) {
    if (startsWith(name, "MOUSE")) return PlainGroup::Mouse;
    if (startsWith(name, "KEY")) return PlainGroup::Digit;
    if (name.size() == 4 && endsWith(name, "KEY")) return PlainGroup::Letter;
    if (endsWith(name, "KEY")) return PlainGroup::Other;
    return PlainGroup::Bare;
}

void plainRows(std::string& out, PlainGroup group) {
    columnHeads(out);
    for (const KeyName& k : KeyNames::plainNames())
        if (groupOf(k.name) == group) row(out, k.name, k.code);
}

}  // namespace

std::string keyCodesText() {
    std::string out;
    paragraph(out, {
        "LIST OF KEY ABBREVIATIONS",
        "=========================",
        "",
        "A \"Send Keystrokes\" script item types its text into the window that has the",
        "keyboard focus. Every character is typed as it is, except a name in square",
        "brackets, which presses a key instead: Dear Sir[ENTER][TAB] types Dear Sir, then",
        "presses Enter and Tab.",
        "",
        "Names are matched without regard to case, so [ctrlc] is [CTRLC]. Blanks after a",
        "name are ignored; blanks before it are not: [ CTRLA] names no key.",
        "",
        "The code column shows the key code a name stands for: the key's number, plus",
        "0x100 when Shift is held down with it, 0x200 for Ctrl and 0x400 for Alt.",
    });

    heading(out, "Letters");
    paragraph(out, {"A letter key is its letter followed by KEY: [A] types the letter A, [AKEY]", "presses the A key."});
    plainRows(out, PlainGroup::Letter);

    heading(out, "Digits and keypad digits");
    plainRows(out, PlainGroup::Digit);

    heading(out, "Other keys");
    paragraph(out, {"These names end in KEY: [HOME] types HOME, [HOMEKEY] presses Home."});
    plainRows(out, PlainGroup::Other);

    heading(out, "Short names");
    paragraph(out, {"These keys may also be named without KEY."});
    plainRows(out, PlainGroup::Bare);

    heading(out, "Mouse buttons");
    paragraph(out, {"A mouse name clicks where the mouse pointer is; the names ending in 2 click", "twice."});
    plainRows(out, PlainGroup::Mouse);

    heading(out, "Keys with Shift, Ctrl and Alt");
    paragraph(out, {"A prefix before a key's short name holds modifier keys down while the key is", "pressed:", ""});
    for (const KeyName& prefix : KeyNames::prefixes()) {
        std::string held = modifierText(prefix.code);
        held.pop_back();
        out += "  " + padded(std::string(prefix.name), kTokenColumn) + padded(held + " held down", kKeyColumn) +
               "+" + hexCode(prefix.code) + "\n";
    }
    paragraph(out, {
        "",
        "No other order of the prefixes is known: [SHIFTCTRLA] types SHIFTCTRLA. No name",
        "holds all three modifiers, and Caps Lock has no modified name. After a prefix",
        "come the letter or digit alone, PAD0 to PAD9 for the keypad digits, and the",
        "names of the keys above without KEY.",
    });
    for (const KeyName& prefix : KeyNames::prefixes()) {
        heading(out, "Prefix " + std::string(prefix.name));
        columnHeads(out);
        for (const KeyName& k : KeyNames::modifiedNames())
            if ((k.code & ~0xFF) == prefix.code && startsWith(k.name, prefix.name)) row(out, k.name, k.code);
    }

    heading(out, "Pauses and brackets");
    note(out, "[PAUSE]", "waits one send interval and sends nothing.");
    note(out, "[]", "waits one send interval too.");
    note(out, "[PAUSEKEY]", "presses the Pause key.");
    note(out, "[[]", "types a single [.");
    paragraph(out, {
        "",
        "A [ without a ] after it is dropped, and the rest is typed as text: abc[def",
        "types abc, then def. A ] outside brackets is an ordinary character. There is no",
        "other escape character and no repeat count.",
    });

    heading(out, "Names that are not keys");
    paragraph(out, {
        "A name in brackets that is none of the above is typed as it was written, without",
        "the brackets and in the same case: [Ctrl C] types Ctrl C.",
    });
    return out;
}

bool installKeyCodesFile(const std::filesystem::path& folder) {
    const std::filesystem::path target = folder / std::string(kKeyCodesFileName);
    std::error_code ec;
    if (std::filesystem::exists(target, ec)) return true;
    // Written beside the target and renamed into place, so a half-written list never shows.
    const std::filesystem::path partial = folder / (std::string(kKeyCodesFileName) + ".part" + std::to_string(::getpid()));
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << keyCodesText();
        file.close();
        if (!file) {
            std::filesystem::remove(partial, ec);
            return false;
        }
    }
    std::filesystem::rename(partial, target, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        return false;
    }
    return true;
}

}  // namespace cm
