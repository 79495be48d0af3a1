// SPDX-License-Identifier: MIT
// Which application window has the keyboard: the window manager's active window, or, without a
// window manager that names one, the input focus; in both cases the top-level client window that
// holds it and that window's process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::x11 {

using WindowId = std::uint64_t;

// The few window facts the search reads. A window that has vanished answers like one without
// the property (none, false, no children): the search never relies on two answers agreeing.
class WindowTree {
 public:
  virtual ~WindowTree() = default;

  virtual WindowId root() const = 0;
  // _NET_ACTIVE_WINDOW of the root window; none when unset or None.
  virtual std::optional<WindowId> activeWindow() const = 0;
  // The input focus; none for None and PointerRoot.
  virtual std::optional<WindowId> inputFocus() const = 0;
  // None for the root window and for a window that has vanished.
  virtual std::optional<WindowId> parent(WindowId window) const = 0;
  // In stacking order, bottom first.
  virtual std::vector<WindowId> children(WindowId window) const = 0;
  // WM_STATE: set by the window manager on every managed client window.
  virtual bool hasWmState(WindowId window) const = 0;
  // _NET_WM_PID, when it is a plausible process id: the window's own claim.
  virtual std::optional<std::int32_t> pid(WindowId window) const = 0;
  // The process whose connection made the window, as the X server knows it (X-Resource); none
  // where the server cannot tell (no such extension, a client over the network).
  virtual std::optional<std::int32_t> clientPid(WindowId window) const = 0;
  // Whether WM_CLIENT_MACHINE names this machine: only then does _NET_WM_PID name a process
  // here (a window shown through ssh -X names a process of another machine). None when the
  // window names no machine (Tk names none).
  virtual std::optional<bool> isLocal(WindowId window) const = 0;
};

struct FrontmostWindow {
  WindowId window = 0;  // the client window: the one the application made and named
  std::int32_t pid = 0;
  bool operator==(const FrontmostWindow&) const = default;
};

// Bounds on the walks, so that a deep, wide or looping tree (windows come and go while it is
// read) costs a bounded number of requests.
inline constexpr int kMaxAncestors = 64;
inline constexpr int kMaxDescendantDepth = 8;
inline constexpr int kMaxWindowsVisited = 512;

// The client window that holds the active window or, failing that, the input focus: the window
// itself or its nearest ancestor that carries WM_STATE or _NET_WM_PID (toolkits focus a small
// child window), else the first such window below it (a reparenting window manager may focus its
// frame). Its process is the one the X server knows behind the window, whatever _NET_WM_PID
// claims (a window can name another application's process; a sandboxed one names a pid of its
// own namespace); the claim counts only where the server cannot tell. None when no process is
// known, when the window names another machine, or when nothing holds the keyboard.
std::optional<FrontmostWindow> findFrontmostWindow(const WindowTree& tree);

// Whether a WM_CLIENT_MACHINE value names the machine called `hostName` (in any ASCII case);
// an empty value names none.
bool isThisMachine(std::string_view clientMachine, std::string_view hostName);

// The class part of a WM_CLASS value ("instance\0Class\0"): the application's name, such as
// "Mousepad". None when it is missing or empty.
std::optional<std::string> wmClassName(std::string_view wmClass);

}  // namespace tavrine::x11
