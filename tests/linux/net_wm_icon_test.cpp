// SPDX-License-Identifier: MIT
#include "backends/linux/x11/net_wm_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrine::x11 {
namespace {

// Icon entries of the given sides, every pixel of one its width, so that the chosen entry shows.
std::vector<unsigned long> icons(
    std::initializer_list<std::pair<unsigned long, unsigned long>> sizes) {
  std::vector<unsigned long> data;
  for (auto [w, h] : sizes) {
    data.insert(data.end(), {w, h});
    data.insert(data.end(), w * h, 0xFF000000UL | w);
  }
  return data;
}

// The size nearest 64 (the larger on a tie, by the larger side); damaged data keeps what came
// before the damage.
TEST(NetWmIconTest, ChoosesTheSizeNearest64FromWhatIsIntact) {
  std::vector<unsigned long> truncated = icons({{16, 16}, {64, 64}});
  truncated.pop_back();  // the 64-pixel icon lacks its last pixel
  std::vector<unsigned long> absurd = icons({{24, 24}});
  absurd.insert(absurd.end(), {0xFFFFFFFFUL, 0xFFFFFFFFUL, 0UL, 0UL});  // w × h would overflow
  const struct {
    std::string name;
    std::vector<unsigned long> data;
    std::optional<std::pair<int, int>> size;
  } cases[] = {
      {"nearest below", icons({{16, 16}, {48, 48}, {128, 128}}), {{48, 48}}},
      {"nearest above", icons({{16, 16}, {96, 96}}), {{96, 96}}},
      {"a tie goes to the larger", icons({{48, 48}, {80, 80}}), {{80, 80}}},
      {"the larger side counts", icons({{64, 32}, {20, 20}}), {{64, 32}}},
      {"truncated second icon", truncated, {{16, 16}}},
      {"zero width after a good icon", icons({{32, 32}, {0, 64}}), {{32, 32}}},
      {"absurd sides after a good icon", absurd, {{24, 24}}},
      {"empty", {}, std::nullopt},
      {"header without pixels", {64, 64}, std::nullopt},
      {"too large a side", icons({{kMaxIconSide + 1, 1}}), std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<ArgbIcon> icon = chooseNetWmIcon(c.data);
    ASSERT_EQ(icon.has_value(), c.size.has_value()) << c.name;
    if (!icon) continue;
    EXPECT_EQ(std::pair(icon->width, icon->height), *c.size) << c.name;
    ASSERT_EQ(icon->pixels.size(), static_cast<std::size_t>(icon->width * icon->height)) << c.name;
    EXPECT_EQ(icon->pixels.front(), 0xFF000000U | static_cast<std::uint32_t>(icon->width))
        << c.name;
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

}  // namespace
}  // namespace tavrine::x11
