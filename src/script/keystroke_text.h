#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

// One unit of sending: typed text, one key code, or nothing (a pause, "[]", a dropped "[").
// Each group costs one send interval before it goes out.
struct SendGroup {
    enum class Kind { Nothing, Text, Key };
    Kind kind = Kind::Nothing;
    std::string text;
    int keyCode = 0;

    static SendGroup nothing() { return {}; }
    static SendGroup typed(std::string text) { return {Kind::Text, std::move(text), 0}; }
    static SendGroup key(int code) { return {Kind::Key, {}, code}; }
    friend bool operator==(const SendGroup&, const SendGroup&) = default;
};

// PressKeyToken's decision for the characters between "[" and "]": the key the token names;
// nothing for "PAUSE" and for an empty token; otherwise the token typed exactly as written.
SendGroup groupForToken(std::string_view token);

// A keystroke text being sent, cut one group at a time so that the group size can be read
// afresh for every group. "[" opens a token up to the next "]"; there is no escape, so "[[]"
// types "[", an unclosed "[" is dropped and a lone "]" is an ordinary character.
class KeystrokeText {
public:
    static constexpr std::size_t kDefaultGroupSize = 7;
    static constexpr std::size_t kMaxGroupSize = 255;

    explicit KeystrokeText(std::string_view text = {}) : m_text(text) {}

    // Nothing but blanks left: no further group, and no further interval.
    bool finished() const;
    // The next group. A text without "[" goes out whole with its trailing blanks removed; a
    // run of plain characters before a "[" goes out at most groupSize characters at a time,
    // blanks included. Only call it while !finished().
    SendGroup takeGroup(std::size_t groupSize);
    std::string_view remaining() const { return std::string_view(m_text).substr(m_pos); }

    // The group size as stored: 0 reads as 7, and it is one byte wide.
    static std::size_t effectiveGroupSize(long stored);
    // Every group of a text at one group size.
    static std::vector<SendGroup> cut(std::string_view text, std::size_t groupSize);

private:
    std::string m_text;
    std::size_t m_pos = 0;
};

}  // namespace cm
