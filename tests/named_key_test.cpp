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

}  // namespace
}  // namespace tavrine
