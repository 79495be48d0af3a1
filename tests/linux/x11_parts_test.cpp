// SPDX-License-Identifier: MIT
// The X11 backend's parts that need no server: the frontmost window, icons, modifier keys.
#include "backends/linux/x11/frontmost_window.h"
#include "backends/linux/x11/modifiers.h"
#include "backends/linux/x11/net_wm_icon.h"

#include <gtest/gtest.h>

#include <bitset>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/golden_cases.h"

namespace tavrine::x11 {
namespace {

constexpr WindowId kRoot = 1;

// Windows held in memory (see fixtures/frontmost_windows.tsv).
class MemoryWindowTree final : public WindowTree {
 public:
  struct Window {
    WindowId parent = kRoot;
    bool wmState = false;
    std::optional<std::int32_t> pid;
    std::optional<bool> local = true;  // WM_CLIENT_MACHINE: this machine, another, or none
    bool gone = false;
  };
  std::map<WindowId, Window> windows;
  std::map<WindowId, std::int32_t> serverPids;  // X-Resource's answers
  std::optional<WindowId> active;
  std::optional<WindowId> focus;

  WindowId root() const override { return kRoot; }
  std::optional<WindowId> activeWindow() const override { return active; }
  std::optional<WindowId> inputFocus() const override { return focus; }
  std::optional<WindowId> parent(WindowId id) const override {
    return find(id) ? std::optional(find(id)->parent) : std::nullopt;
  }
  std::vector<WindowId> children(WindowId id) const override {
    std::vector<WindowId> out;
    if (id != kRoot && find(id) == nullptr) return out;
    for (const auto& [child, w] : windows)
      if (w.parent == id) out.push_back(child);
    return out;
  }
  bool hasWmState(WindowId id) const override { return find(id) && find(id)->wmState; }
  std::optional<std::int32_t> pid(WindowId id) const override {
    return find(id) != nullptr ? find(id)->pid : std::nullopt;
  }
  std::optional<std::int32_t> clientPid(WindowId id) const override {
    return find(id) && serverPids.contains(id) ? std::optional(serverPids.at(id)) : std::nullopt;
  }
  std::optional<bool> isLocal(WindowId id) const override {
    return find(id) != nullptr ? find(id)->local : std::nullopt;
  }

 private:
  const Window* find(WindowId id) const {
    const auto it = windows.find(id);
    return it == windows.end() || it->second.gone ? nullptr : &it->second;
  }
};

TEST(FrontmostWindowTest, FindsTheClientWindowThatHoldsTheKeyboard) {
  const auto number = [](const std::string& field) {
    return field == "-" ? std::nullopt : std::optional(std::stoll(field));
  };
  std::map<std::string, MemoryWindowTree> trees;
  int cases = 0;
  for (const auto& row : doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/frontmost_windows.tsv")) {
    ASSERT_EQ(row.size(), row[0] == "case" ? 7u : 8u);
    if (row[0] != "case") {
      MemoryWindowTree& tree = trees[row[0]];
      const WindowId id = std::stoull(row[1]);
      const auto pid = number(row[4]);
      tree.windows[id] = {std::stoull(row[2]), row[3] == "wm",
                          pid ? std::optional(static_cast<std::int32_t>(*pid)) : std::nullopt,
                          row[6] == "-" ? std::nullopt : std::optional(row[6] == "local"),
                          row[7] == "gone"};
      if (const auto server = number(row[5]))
        tree.serverPids[id] = static_cast<std::int32_t>(*server);
      continue;
    }
    MemoryWindowTree tree = trees.at(row[2]);
    const auto active = number(row[3]), focus = number(row[4]), window = number(row[5]);
    if (active) tree.active = static_cast<WindowId>(*active);
    if (focus) tree.focus = static_cast<WindowId>(*focus);
    const std::optional<FrontmostWindow> expected =
        window ? std::optional(FrontmostWindow{static_cast<WindowId>(*window),
                                               static_cast<std::int32_t>(std::stoi(row[6]))})
               : std::nullopt;
    EXPECT_EQ(findFrontmostWindow(tree), expected) << row[1];
    ++cases;
  }
  EXPECT_EQ(cases, 17);
}

TEST(WmClassNameTest, TakesTheClassPart) {
  const auto cases = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/wm_classes.tsv");
  ASSERT_EQ(cases.size(), 4u);
  for (const auto& c : cases)
    EXPECT_EQ(wmClassName(doubles::unescaped(c.at(0))).value_or("-"), c.at(1)) << c[0];
}

TEST(NetWmIconTest, ChoosesTheSizeNearest64FromWhatIsIntact) {
  const auto cases = doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/net_wm_icons.tsv");
  ASSERT_EQ(cases.size(), 10u);
  for (const auto& c : cases) {
    ASSERT_EQ(c.size(), 3u);
    std::vector<unsigned long> data;
    std::istringstream words(c[1]);
    for (std::string word; words >> word;) {
      const std::size_t x = word.find('x');
      if (word == "~") {
        data.pop_back();
      } else if (x == std::string::npos) {
        data.push_back(std::stoul(word));
      } else {
        const unsigned long w = std::stoul(word), h = std::stoul(word.substr(x + 1));
        data.insert(data.end(), {w, h});
        data.insert(data.end(), w * h, 0xFF000000UL | w);
      }
    }
    const std::optional<ArgbIcon> icon = chooseNetWmIcon(data);
    ASSERT_EQ(icon.has_value(), c[2] != "-") << c[0];
    if (!icon) continue;
    EXPECT_EQ(std::to_string(icon->width) + "x" + std::to_string(icon->height), c[2]) << c[0];
    ASSERT_EQ(icon->pixels.size(), static_cast<std::size_t>(icon->width * icon->height)) << c[0];
    EXPECT_EQ(icon->pixels.front(), 0xFF000000U | static_cast<std::uint32_t>(icon->width)) << c[0];
  }
  // On 64-bit Xlib a cardinal arrives in a long, its high half sign-extended or garbage: only
  // the low 32 bits count.
  std::vector<unsigned long> data = {0xDEAD000000000002UL, 0xBEEF000000000001UL,
                                     0xFFFFFFFF80FF0000UL, 0x12345678'00FF00FFUL};
  const std::optional<ArgbIcon> icon = chooseNetWmIcon(data);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 2);
  EXPECT_EQ(icon->height, 1);
  EXPECT_EQ(icon->pixels, (std::vector<std::uint32_t>{0x80FF0000U, 0x00FF00FFU}));
}

using Kind = ModifierTracker::Kind;

// What real keys on a real server give is the X11 backend's test; these are the sequences a
// server cannot be made to send on demand, and the other modifiers.
TEST(ModifierTrackerTest, FollowsKeySequences) {
  ModifierMap pc{};  // the usual PC keyboard's modifier mapping
  pc[37] = pc[105] = xmask::kControl;
  pc[50] = xmask::kShift;
  pc[64] = xmask::kMod1;
  pc[133] = xmask::kMod4;
  pc[66] = xmask::kLock;
  pc[92] = xmask::kMod5;
  ModifierTracker tracker;
  std::string name;
  int keys = 0;
  for (const auto& row : doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/modifier_keys.tsv")) {
    ASSERT_EQ(row.size(), 4u);
    if (row[0] == "case") {
      tracker = ModifierTracker();
      tracker.setModifierMap(pc);
      std::bitset<256> held;
      if (const unsigned down = std::stoul(row[2])) held.set(down);
      tracker.seed(held, static_cast<unsigned>(std::stoul(row[3])));
      name = row[1];
      continue;
    }
    const unsigned keycode = static_cast<unsigned>(std::stoul(row[1]));
    const Kind kind = row[2] == "flags" ? Kind::flagsChanged
                      : row[2] == "key" ? Kind::keyDown
                                        : Kind::none;
    ++keys;
    EXPECT_EQ(row[0] == "press" ? tracker.press(keycode) : tracker.release(keycode),
              (ModifierTracker::Outcome{kind, doubles::flagsNamed(row[3])}))
        << name << ", key " << keys;
  }
  EXPECT_EQ(keys, 26);
}

}  // namespace
}  // namespace tavrine::x11
