// SPDX-License-Identifier: MIT
#include "platform/linux/frontmost_window.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tavrine::x11 {
namespace {

constexpr WindowId kRoot = 1;

// Windows held in memory; a removed window answers like a vanished X window, though its parent
// may still list it (as a tree read a moment earlier would).
class MemoryWindowTree final : public WindowTree {
 public:
  struct Window {
    WindowId parent = kRoot;
    bool wmState = false;
    std::optional<std::int32_t> pid;
  };

  void add(WindowId id, WindowId parent, bool wmState = false,
           std::optional<std::int32_t> pid = std::nullopt) {
    windows_[id] = {parent, wmState, pid};
    children_[parent].push_back(id);
  }
  void remove(WindowId id) { windows_.erase(id); }
  void setParent(WindowId id, WindowId parent) { windows_.at(id).parent = parent; }

  std::optional<WindowId> active;
  std::optional<WindowId> focus;

  WindowId root() const override { return kRoot; }
  std::optional<WindowId> activeWindow() const override { return active; }
  std::optional<WindowId> inputFocus() const override { return focus; }
  std::optional<WindowId> parent(WindowId id) const override {
    const auto it = windows_.find(id);
    if (it == windows_.end()) return std::nullopt;
    return it->second.parent;
  }
  std::vector<WindowId> children(WindowId id) const override {
    if (id != kRoot && !windows_.contains(id)) return {};
    const auto it = children_.find(id);
    return it == children_.end() ? std::vector<WindowId>{} : it->second;
  }
  bool hasWmState(WindowId id) const override {
    const auto it = windows_.find(id);
    return it != windows_.end() && it->second.wmState;
  }
  std::optional<std::int32_t> pid(WindowId id) const override {
    const auto it = windows_.find(id);
    return it == windows_.end() ? std::nullopt : it->second.pid;
  }

 private:
  std::map<WindowId, Window> windows_;
  std::map<WindowId, std::vector<WindowId>> children_;
};

TEST(FrontmostWindowTest, FindsTheClientWindowThatHoldsTheKeyboard) {
  // Without a window manager: toolkit windows with _NET_WM_PID, focus on a 1x1 child.
  MemoryWindowTree bare;
  bare.add(10, kRoot, false, 100);
  bare.add(11, 10);
  bare.add(12, 11);
  bare.add(20, kRoot, false, 200);

  // A reparenting window manager: frame, then client with WM_STATE and _NET_WM_PID.
  MemoryWindowTree managed;
  managed.add(50, kRoot);
  managed.add(51, 50, true, 500);
  managed.add(52, 51);
  managed.add(60, kRoot);
  managed.add(61, 60, true, 600);
  managed.add(70, kRoot);
  managed.add(71, 70, true);  // managed, but names no process

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
      {"the active window wins over the focus", managed, 61, 52, FrontmostWindow{61, 600}},
      {"focus on a frame: walk down", managed, std::nullopt, 60, FrontmostWindow{61, 600}},
      {"active window gone: the focus decides", managed, 99, 52, FrontmostWindow{51, 500}},
      {"focus gone", bare, std::nullopt, 77, std::nullopt},
      {"a client naming no process is no application", managed, 71, 71, std::nullopt},
  };
  for (auto c : cases) {
    c.tree.active = c.active;
    c.tree.focus = c.focus;
    EXPECT_EQ(findFrontmostWindow(c.tree), c.expected) << c.name;
  }
}

TEST(FrontmostWindowTest, WindowsVanishingOrLoopingMidWalkEndTheSearch) {
  MemoryWindowTree tree;
  tree.add(10, kRoot, false, 100);
  tree.add(11, 10);
  tree.add(12, 11);
  tree.focus = 12;
  tree.remove(11);  // the parent went away between two requests
  EXPECT_EQ(findFrontmostWindow(tree), std::nullopt);

  MemoryWindowTree loop;
  loop.add(30, kRoot);
  loop.add(31, 30);
  loop.setParent(30, 31);  // a tree read while it changed can point in a circle
  loop.focus = 31;
  EXPECT_EQ(findFrontmostWindow(loop), std::nullopt);

  MemoryWindowTree gone;
  gone.add(40, kRoot);
  gone.add(41, 40);
  gone.add(42, 41, true, 420);
  gone.focus = 40;
  gone.remove(41);  // listed by its parent, gone when asked
  EXPECT_EQ(findFrontmostWindow(gone), std::nullopt);
}

TEST(WmClassNameTest, TakesTheClassPart) {
  using namespace std::string_literals;
  const struct {
    std::string value;
    std::optional<std::string> name;
  } cases[] = {
      {"mousepad\0Mousepad\0"s, "Mousepad"},
      {"geany\0Geany"s, "Geany"},  // without the final NUL
      {"instance-only"s, std::nullopt},
      {"instance\0\0"s, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(wmClassName(c.value), c.name) << c.value;
}

}  // namespace
}  // namespace tavrine::x11
