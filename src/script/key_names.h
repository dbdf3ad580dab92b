#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace cm {

// Mouse buttons in the key-code space; the "2" forms are the second set of codes.
constexpr int kMouseLeft = 0x01;
constexpr int kMouseRight = 0x02;
constexpr int kMouseCenter = 0x03;
constexpr int kMouseLeft2 = 0x05;
constexpr int kMouseRight2 = 0x06;
constexpr int kMouseCenter2 = 0x07;
constexpr int kCapsLockKey = 0x14;

struct KeyName {
    std::string_view name;
    int code = 0;
};

// The names a key token may give. A token's first three characters pick the family it is
// looked up in: "KEY" the digits and keypad digits, "CTR", "ALT" and "SHI" the modified names
// with that prefix, anything else the remaining plain names.
class KeyNames {
public:
    static constexpr std::size_t kPlainCount = 107;
    static constexpr std::size_t kBaseCount = 86;
    static constexpr std::size_t kPrefixCount = 6;
    static constexpr std::size_t kModifiedCount = kBaseCount * kPrefixCount;

    // The keys a modified name can carry, with their codes.
    static std::span<const KeyName> baseNames();
    // "SHIFT", "CTRL", "ALT", "CTRLALT", "CTRLSHIFT", "ALTSHIFT" with their modifier bits.
    static std::span<const KeyName> prefixes();
    static const std::vector<KeyName>& plainNames();
    // Every prefix before every base name.
    static const std::vector<KeyName>& modifiedNames();
};

// The key code a token names: case ignored, trailing blanks ignored, leading blanks kept (so
// " CTRLA" names nothing). Nothing when the token names no key.
std::optional<int> keyCodeForToken(std::string_view token);

}  // namespace cm
