// SPDX-License-Identifier: MIT
#include "platform/linux/net_wm_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrine::x11 {
namespace {

// One icon entry, every pixel `side` so that the chosen entry can be told apart.
void appendIcon(std::vector<unsigned long>& data, unsigned long width, unsigned long height) {
  data.push_back(width);
  data.push_back(height);
  for (unsigned long i = 0; i < width * height; ++i)
    data.push_back(0xFF000000UL | width);
}

std::vector<unsigned long> icons(
    std::initializer_list<std::pair<unsigned long, unsigned long>> sizes) {
  std::vector<unsigned long> data;
  for (auto [w, h] : sizes)
    appendIcon(data, w, h);
  return data;
}

TEST(NetWmIconTest, ChoosesTheSizeNearest64) {
  const struct {
    std::string name;
    std::vector<unsigned long> data;
    int width;
    int height;
  } cases[] = {
      {"nearest below", icons({{16, 16}, {48, 48}, {128, 128}}), 48, 48},
      {"nearest above", icons({{16, 16}, {96, 96}}), 96, 96},
      {"a tie goes to the larger", icons({{48, 48}, {80, 80}}), 80, 80},
      {"the larger side counts", icons({{64, 32}, {20, 20}}), 64, 32},
  };
  for (const auto& c : cases) {
    const std::optional<ArgbIcon> icon = chooseNetWmIcon(c.data);
    ASSERT_TRUE(icon.has_value()) << c.name;
    EXPECT_EQ(icon->width, c.width) << c.name;
    EXPECT_EQ(icon->height, c.height) << c.name;
    ASSERT_EQ(icon->pixels.size(), static_cast<std::size_t>(c.width) * c.height) << c.name;
    EXPECT_EQ(icon->pixels.front(), 0xFF000000U | static_cast<std::uint32_t>(c.width)) << c.name;
  }
}

TEST(NetWmIconTest, KeepsOnlyTheLow32BitsOfEachLong) {
  // On 64-bit Xlib a cardinal arrives in a long, its high half sign-extended or garbage.
  std::vector<unsigned long> data = {0xDEAD000000000002UL, 0xBEEF000000000001UL,
                                     0xFFFFFFFF80FF0000UL, 0x12345678'00FF00FFUL};
  const std::optional<ArgbIcon> icon = chooseNetWmIcon(data);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 2);
  EXPECT_EQ(icon->height, 1);
  EXPECT_EQ(icon->pixels, (std::vector<std::uint32_t>{0x80FF0000U, 0x00FF00FFU}));
}

TEST(NetWmIconTest, DamagedDataKeepsWhatCameBeforeTheDamage) {
  std::vector<unsigned long> truncated = icons({{16, 16}, {64, 64}});
  truncated.resize(truncated.size() - 1);  // the 64-pixel icon lacks its last pixel
  std::vector<unsigned long> zeroWidth = icons({{32, 32}});
  zeroWidth.insert(zeroWidth.end(), {0, 64});
  std::vector<unsigned long> absurd = icons({{24, 24}});
  absurd.insert(absurd.end(), {0xFFFFFFFFUL, 0xFFFFFFFFUL, 0, 0});  // would overflow w × h
  std::vector<unsigned long> huge;
  appendIcon(huge, kMaxIconSide + 1, 1);

  const struct {
    std::string name;
    std::vector<unsigned long> data;
    std::optional<int> width;
  } cases[] = {
      {"truncated second icon", truncated, 16},
      {"zero width after a good icon", zeroWidth, 32},
      {"absurd sides after a good icon", absurd, 24},
      {"empty", {}, std::nullopt},
      {"header without pixels", {64, 64}, std::nullopt},
      {"too large a side", huge, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<ArgbIcon> icon = chooseNetWmIcon(c.data);
    EXPECT_EQ(icon.has_value(), c.width.has_value()) << c.name;
    if (icon && c.width) {
      EXPECT_EQ(icon->width, *c.width) << c.name;
    }
  }
}

}  // namespace
}  // namespace tavrine::x11
