#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/key_names.h"
#include "shell/keyboard.h"

namespace cm {
namespace {

TEST(KeyNames, TablesHoldEveryNameOnce) {
    EXPECT_EQ(KeyNames::baseNames().size(), 86u);
    EXPECT_EQ(KeyNames::prefixes().size(), 6u);
    EXPECT_EQ(KeyNames::plainNames().size(), 107u);
    EXPECT_EQ(KeyNames::modifiedNames().size(), 516u);

    std::set<std::string> names;
    for (const auto* list : {&KeyNames::plainNames(), &KeyNames::modifiedNames()})
        for (const KeyName& k : *list) EXPECT_TRUE(names.emplace(k.name).second) << k.name;
}

// Every name reaches its code through the family its first three characters pick, in any
// case and with trailing blanks.
TEST(KeyNames, EveryNameResolvesToItsCode) {
    for (const auto* list : {&KeyNames::plainNames(), &KeyNames::modifiedNames()}) {
        for (const KeyName& k : *list) {
            std::string lower(k.name);
            for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            EXPECT_EQ(keyCodeForToken(k.name), k.code) << k.name;
            EXPECT_EQ(keyCodeForToken(lower + "  "), k.code) << k.name;
        }
    }
}

TEST(KeyNames, CodesOfTheFamilies) {
    struct Case {
        const char* token;
        std::optional<int> code;
    };
    const Case cases[] = {
        {"AKEY", 0x41},          {"ZKEY", 0x5A},          {"KEY0", 0x30},           {"KEY9", 0x39},
        {"KEYPAD0", 0x60},       {"KeyPad9", 0x69},       {"BSKEY", 0x08},          {"PAUSEKEY", 0x13},
        {"PGDNKEY", 0x22},       {"F10KEY", 0x79},        {"SLASHKEY", 0x6F},       {"CAPSLOCKKEY", kCapsLockKey},
        {"TAB", 0x09},           {"enter", 0x0D},         {"F12", 0x7B},            {"MOUSELEFT", kMouseLeft},
        {"MOUSECENTER2", kMouseCenter2},                  {"ctrlc", 0x243},         {"SHIFTTAB", 0x109},
        {"CTRLALTDELETE", 0x62E}, {"CTRLSHIFTESC", 0x31B}, {"ALTSHIFTF4", 0x573},   {"ALTPAD5", 0x465},
        {"SHIFTMOUSELEFT2", 0x105}, {"CTRL0", 0x230},
        // Names that are not keys: the bare letter and bare base names, the wrong modifier
        // order, all three modifiers, a leading blank, an inner blank, a modified caps lock.
        {"A", std::nullopt},     {"HOME", std::nullopt},  {"PAUSE", std::nullopt},  {"5", std::nullopt},
        {"PAD5", std::nullopt},  {"SHIFTCTRLA", std::nullopt}, {"ALTCTRLA", std::nullopt},
        {"CTRLALTSHIFTA", std::nullopt}, {" CTRLA", std::nullopt}, {"Ctrl C", std::nullopt},
        {"CTRLCAPSLOCKKEY", std::nullopt}, {"CTRLAKEY", std::nullopt}, {"", std::nullopt},
        {"KEY", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(keyCodeForToken(c.token), c.code) << '"' << c.token << '"';
}

}  // namespace
}  // namespace cm
