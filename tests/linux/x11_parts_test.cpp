// SPDX-License-Identifier: MIT
// The X11 backend's parts that need no server: the frontmost window, icons, modifier keys.
#include "backends/linux/x11/frontmost_window.h"
#include "backends/linux/x11/modifiers.h"
#include "backends/linux/x11/net_wm_icon.h"

#include <gtest/gtest.h>

#include <bitset>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/golden_cases.h"

namespace tavrine::x11 {
namespace {

constexpr WindowId kRoot = 1;

// Windows held in memory. A window marked gone answers like a vanished X window, though its
// parent still lists it (as a tree read a moment earlier would).
class MemoryWindowTree final : public WindowTree {
 public:
  struct Window {
    Window(WindowId p = kRoot, bool wm = false, std::optional<std::int32_t> id = std::nullopt)
        : parent(p), wmState(wm), pid(id) {}
    WindowId parent;
    bool wmState;
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
  // Without a window manager: toolkit windows with _NET_WM_PID, focus on a 1x1 child.
  MemoryWindowTree bare;
  bare.windows = {{10, {kRoot, false, 100}}, {11, {10}}, {12, {11}}, {20, {kRoot, false, 200}}};
  MemoryWindowTree parentGone = bare;
  parentGone.windows[11].gone = true;  // went away between two requests

  // A reparenting window manager: frame, then client with WM_STATE and _NET_WM_PID.
  MemoryWindowTree managed;
  managed.windows = {{50, {}}, {51, {50, true, 500}}, {52, {51}}, {60, {}}, {61, {60, true, 600}},
                     {70, {}}, {71, {70, true}}};  // 71 names no process
  MemoryWindowTree served = managed;               // the server tells the process behind 61 and 71
  served.serverPids = {{61, 610}, {71, 710}};
  // Tk names no machine; ssh -X windows name another.
  MemoryWindowTree unnamed = served;
  unnamed.windows[61].local = unnamed.windows[51].local = std::nullopt;
  MemoryWindowTree remote = served;
  remote.windows[61].local = false;
  MemoryWindowTree clientGone = managed;
  clientGone.windows[61].gone = true;  // listed by its frame, gone when asked

  // A tree read while it changed can point in a circle.
  MemoryWindowTree loop;
  loop.windows = {{30, {31}}, {31, {30}}};

  const struct {
    std::string name;
    MemoryWindowTree tree;
    std::optional<WindowId> active;
    std::optional<WindowId> focus;
    std::optional<FrontmostWindow> expected;
  } cases[] = {
      {"focus on a small child: walk up", bare, std::nullopt, 12, FrontmostWindow{10, 100}},
      {"focus on the client itself", bare, std::nullopt, 20, FrontmostWindow{20, 200}},
      {"nothing focused", bare, std::nullopt, std::nullopt, std::nullopt},
      {"focus on the root", bare, std::nullopt, kRoot, std::nullopt},
      {"focus gone", bare, std::nullopt, 77, std::nullopt},
      {"the active window wins over the focus", managed, 61, 52, FrontmostWindow{61, 600}},
      {"focus on a frame: walk down", managed, std::nullopt, 60, FrontmostWindow{61, 600}},
      {"active window gone: the focus decides", managed, 99, 52, FrontmostWindow{51, 500}},
      {"a client naming no process is no application", managed, 71, 71, std::nullopt},
      {"the server's pid over the window's claim", served, 61, 61, FrontmostWindow{61, 610}},
      {"the server's pid where the window claims none", served, 71, 71, FrontmostWindow{71, 710}},
      {"no machine named: the server's pid", unnamed, 61, 61, FrontmostWindow{61, 610}},
      {"no machine named: not the window's claim", unnamed, 51, 51, std::nullopt},
      {"another machine named: no application", remote, 61, 61, std::nullopt},
      {"a parent vanishing on the way up", parentGone, std::nullopt, 12, std::nullopt},
      {"a client vanishing on the way down", clientGone, std::nullopt, 60, std::nullopt},
      {"parents in a circle", loop, std::nullopt, 31, std::nullopt},
  };
  for (auto c : cases) {
    c.tree.active = c.active;
    c.tree.focus = c.focus;
    EXPECT_EQ(findFrontmostWindow(c.tree), c.expected) << c.name;
  }
}

TEST(WmClassNameTest, TakesTheClassPart) {
  using namespace std::string_literals;
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"mousepad\0Mousepad\0"s, "Mousepad"},
      {"geany\0Geany"s, "Geany"},  // without the final NUL
      {"instance-only"s, std::nullopt},
      {"instance\0\0"s, std::nullopt},
  };
  for (const auto& [value, name] : cases)
    EXPECT_EQ(wmClassName(value), name) << value;
}

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
