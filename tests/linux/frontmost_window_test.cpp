// SPDX-License-Identifier: MIT
#include "backends/linux/x11/frontmost_window.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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

}  // namespace
}  // namespace tavrine::x11
