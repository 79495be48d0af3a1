// SPDX-License-Identifier: MIT
#include "harvest/named_key.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tavrine {
namespace {

TEST(NamedKeyTest, EveryKeyReadsBackFromTheCharacterItIsWrittenAsAndFromItsCap) {
  std::set<std::string> caps;
  std::set<std::string> macNames;
  std::set<std::string> linuxNames;
  for (int k = 0; k <= static_cast<int>(NamedKey::space); ++k) {
    const auto key = static_cast<NamedKey>(k);
    EXPECT_EQ(namedKey(keyEquivalentCharacter(key)), key) << k;
    EXPECT_EQ(namedKeyForCap(keyCapText(key)), key) << k;
    // No two look or sound alike.
    EXPECT_TRUE(caps.insert(keyCapText(key)).second) << keyCapText(key);
    EXPECT_TRUE(macNames.insert(keyName(key, KeyNames::mac)).second) << k;
    EXPECT_TRUE(linuxNames.insert(keyName(key, KeyNames::desktopLinux)).second) << k;
  }
  EXPECT_EQ(namedKeyForCap("⎋"), NamedKey::escape);
  EXPECT_EQ(namedKeyForCap("Tab"), std::nullopt);
  EXPECT_EQ(keyEquivalentCharacter(NamedKey::upArrow), "\uF700");
  EXPECT_EQ(keyEquivalentCharacter(NamedKey::returnKey), "\r");
  EXPECT_EQ(keyEquivalentCharacter(NamedKey::backspace), "\x08");
}

TEST(NamedKeyTest, FunctionKeysAreNumberedOneToThirtyFive) {
  for (int n = 1; n <= 35; ++n) {
    ASSERT_TRUE(functionKey(n)) << n;
    EXPECT_EQ(functionKeyNumber(*functionKey(n)), n);
    EXPECT_EQ(keyCapText(*functionKey(n)), "F" + std::to_string(n));
  }
  EXPECT_EQ(functionKey(0), std::nullopt);
  EXPECT_EQ(functionKey(36), std::nullopt);
  EXPECT_EQ(functionKeyNumber(NamedKey::rightArrow), 0);
  EXPECT_EQ(functionKeyNumber(NamedKey::insert), 0);
  EXPECT_EQ(namedKey(std::string_view("\xEF\x9C")), std::nullopt);  // cut short
  EXPECT_EQ(namedKey(std::string_view("")), std::nullopt);
}

// The function-key characters other than F1..F35 by their documented meanings; the rest of the
// reserved range means nothing.
TEST(NamedKeyTest, FunctionKeyCharactersShowTheirDocumentedKeys) {
  struct Case {
    char32_t c;
    const char* cap;
    const char* name;
  };
  for (const Case& c : {Case{0xF727, "Ins", "Insert"},
                        {0xF728, "⌦", "Forward Delete"},
                        {0xF729, "↖", "Home"},
                        {0xF72A, "Begin", "Begin"},
                        {0xF72B, "↘", "End"},
                        {0xF72C, "⇞", "Page Up"},
                        {0xF72D, "⇟", "Page Down"},
                        {0xF72E, "PrtSc", "Print Screen"},
                        {0xF731, "SysRq", "System Request"},
                        {0xF738, "Print", "Print"},
                        {0xF739, "Clear", "Clear"},
                        {0xF73F, "Prev", "Previous"},
                        {0xF746, "Help", "Help"},
                        {0xF747, "Mode", "Mode Switch"}}) {
    const std::optional<NamedKey> key = namedKey(c.c);
    ASSERT_TRUE(key) << c.name;
    EXPECT_EQ(keyCapText(*key), c.cap);
    EXPECT_EQ(keyName(*key, KeyNames::mac), c.name);
  }
  EXPECT_EQ(keyName(NamedKey::forwardDelete, KeyNames::desktopLinux), "Delete");
  EXPECT_EQ(keyName(NamedKey::backspace, KeyNames::mac), "Delete");
  EXPECT_EQ(keyName(NamedKey::backspace, KeyNames::desktopLinux), "Backspace");
  for (const char32_t unknown :
       {char32_t{0xF748}, char32_t{0xF8FF}, char32_t{0x10}, char32_t{0x00}})
    EXPECT_EQ(namedKey(unknown), std::nullopt) << static_cast<unsigned>(unknown);
}

}  // namespace
}  // namespace tavrine
