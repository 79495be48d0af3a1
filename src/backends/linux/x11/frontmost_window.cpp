// SPDX-License-Identifier: MIT
#include "backends/linux/x11/frontmost_window.h"

#include <algorithm>
#include <deque>
#include <utility>

namespace tavrine::x11 {
namespace {

bool isClientWindow(const WindowTree& tree, WindowId window) {
  return tree.hasWmState(window) || tree.pid(window).has_value();
}

std::optional<WindowId> clientAbove(const WindowTree& tree, WindowId window) {
  const WindowId root = tree.root();
  WindowId current = window;
  for (int step = 0; step < kMaxAncestors && current != root; ++step) {
    if (isClientWindow(tree, current)) return current;
    const std::optional<WindowId> parent = tree.parent(current);
    if (!parent) return std::nullopt;  // vanished on the way up
    current = *parent;
  }
  return std::nullopt;
}

std::optional<WindowId> clientBelow(const WindowTree& tree, WindowId window) {
  std::deque<std::pair<WindowId, int>> queue{{window, 0}};
  int visited = 0;
  while (!queue.empty() && visited < kMaxWindowsVisited) {
    const auto [current, depth] = queue.front();
    queue.pop_front();
    ++visited;
    if (current != window && isClientWindow(tree, current)) return current;
    if (depth >= kMaxDescendantDepth) continue;
    for (WindowId child : tree.children(current))
      queue.emplace_back(child, depth + 1);
  }
  return std::nullopt;
}

std::optional<FrontmostWindow> clientHolding(const WindowTree& tree, WindowId window) {
  if (window == 0 || window == tree.root()) return std::nullopt;
  std::optional<WindowId> client = clientAbove(tree, window);
  if (!client) client = clientBelow(tree, window);
  if (!client) return std::nullopt;
  // A window shown through ssh -X is made through the local ssh process: the machine it
  // names decides first. One that names none is taken only on the server's word for its process.
  const std::optional<bool> local = tree.isLocal(*client);
  if (local == false) return std::nullopt;
  std::optional<std::int32_t> pid = tree.clientPid(*client);
  if (!pid && local) pid = tree.pid(*client);
  if (!pid) return std::nullopt;
  return FrontmostWindow{*client, *pid};
}

}  // namespace

std::optional<FrontmostWindow> findFrontmostWindow(const WindowTree& tree) {
  // A stale or vanished active window falls back to the focus, which the server keeps exact.
  if (const std::optional<WindowId> active = tree.activeWindow()) {
    if (std::optional<FrontmostWindow> found = clientHolding(tree, *active)) return found;
  }
  if (const std::optional<WindowId> focus = tree.inputFocus()) return clientHolding(tree, *focus);
  return std::nullopt;
}

bool isThisMachine(std::string_view clientMachine, std::string_view hostName) {
  // A trailing NUL is common (the property is a list of one string).
  if (const std::size_t end = clientMachine.find('\0'); end != std::string_view::npos) {
    clientMachine = clientMachine.substr(0, end);
  }
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return !clientMachine.empty() && clientMachine.size() == hostName.size() &&
         std::equal(clientMachine.begin(), clientMachine.end(), hostName.begin(),
                    [&](char a, char b) { return lower(a) == lower(b); });
}

std::optional<std::string> wmClassName(std::string_view wmClass) {
  const std::size_t end = wmClass.find('\0');
  if (end == std::string_view::npos) return std::nullopt;
  std::string_view name = wmClass.substr(end + 1);
  name = name.substr(0, name.find('\0'));
  if (name.empty()) return std::nullopt;
  return std::string(name);
}

}  // namespace tavrine::x11
