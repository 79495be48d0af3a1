// SPDX-License-Identifier: MIT
#include "harvest/named_key.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tavrine {
namespace {

TEST(NamedKeyTest, EveryKeyReadsBackFromTheCharacterItIsWrittenAs) {
  std::set<std::string> caps;
  for (int k = 0; k <= static_cast<int>(NamedKey::space); ++k) {
    const auto key = static_cast<NamedKey>(k);
    EXPECT_EQ(namedKey(keyEquivalentCharacter(key)), key) << k;
    EXPECT_TRUE(caps.insert(keyCapText(key)).second) << keyCapText(key);  // no two look alike
  }
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
