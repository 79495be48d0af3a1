// SPDX-License-Identifier: MIT
// Menu items that report their key only by glyph or virtual key code: the character they get.
#include "backends/macos/menu_key_glyphs.h"

#include <gtest/gtest.h>

#include <optional>

namespace tavrine::macos {
namespace {

TEST(MenuKeyGlyphsTest, GlyphsAndVirtualKeysBecomeTheCharactersOfTheirKeys) {
  EXPECT_EQ(keyEquivalentCharacter(0x73, std::nullopt), U'\uF708');  // F5
  EXPECT_EQ(keyEquivalentCharacter(0x87, std::nullopt), U'\uF710');  // F13
  EXPECT_EQ(keyEquivalentCharacter(0x66, std::nullopt), U'\uF729');  // Home
  EXPECT_EQ(keyEquivalentCharacter(0x17, std::nullopt), U'\b');      // Delete, backwards
  EXPECT_EQ(keyEquivalentCharacter(0x1B, std::nullopt), U'\x1B');    // Escape
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x60), U'\uF708');  // F5
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x7A), U'\uF704');  // F1
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x75), U'\uF728');  // Forward Delete
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x7E), U'\uF700');  // Up Arrow
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x24), U'\r');      // Return
}

TEST(MenuKeyGlyphsTest, TheGlyphWinsAndUnknownCodesGiveNothing) {
  EXPECT_EQ(keyEquivalentCharacter(0x6F, 0x60), U'\uF704');             // F1 drawn, F5 key
  EXPECT_EQ(keyEquivalentCharacter(0x00, 0x60), U'\uF708');             // no glyph: the key
  EXPECT_EQ(keyEquivalentCharacter(0x11, std::nullopt), std::nullopt);  // the Command glyph
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, 0x00), std::nullopt);  // kVK_ANSI_A: a letter
  EXPECT_EQ(keyEquivalentCharacter(std::nullopt, std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace tavrine::macos
