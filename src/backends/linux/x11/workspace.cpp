// SPDX-License-Identifier: MIT
#include "backends/linux/x11/workspace.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <unistd.h>

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "backends/linux/x11/display.h"
#include "backends/linux/x11/frontmost_window.h"
#include "backends/linux/x11/modifiers.h"

namespace tavrine::x11 {
namespace {

// Upper bounds on what is read from another application's properties.
constexpr long kMaxNameBytes = 1024;
constexpr long kMaxIconItems = 1L << 19;  // a 512-pixel icon and its smaller sizes
constexpr long kMaxRootStringBytes = 4096;
constexpr unsigned kMaxChildren = kMaxWindowsVisited;

// The window facts the search reads, each a request that may find its window gone.
class XWindowTree final : public WindowTree {
 public:
  XWindowTree(const X11Display& display, bool hasXRes)
      : display_(display),
        hasXRes_(hasXRes),
        netActiveWindow_(display.atom("_NET_ACTIVE_WINDOW")),
        netWmPid_(display.atom("_NET_WM_PID")),
        wmState_(display.atom("WM_STATE")) {}

  WindowId root() const override { return display_.root(); }

  std::optional<WindowId> activeWindow() const override {
    const auto value = display_.readLongs(display_.root(), netActiveWindow_, XA_WINDOW, 1);
    if (!value || value->empty() || value->front() == 0) return std::nullopt;
    return value->front();
  }

  std::optional<WindowId> inputFocus() const override {
    Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display_.get(), &focus, &revertTo);
    if (focus == None || focus == PointerRoot) return std::nullopt;
    return focus;
  }

  std::optional<WindowId> parent(WindowId window) const override {
    const std::optional<Tree> tree = queryTree(window);
    if (!tree || tree->parent == 0) return std::nullopt;
    return tree->parent;
  }

  std::vector<WindowId> children(WindowId window) const override {
    std::optional<Tree> tree = queryTree(window);
    return tree ? std::move(tree->children) : std::vector<WindowId>{};
  }

  bool hasWmState(WindowId window) const override { return display_.hasProperty(window, wmState_); }

  std::optional<bool> isLocal(WindowId window) const override {
    const auto machine = display_.readBytes(window, XA_WM_CLIENT_MACHINE, XA_STRING, kMaxNameBytes);
    if (!machine) return std::nullopt;
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return false;
    return isThisMachine(*machine, host);
  }

  std::optional<std::int32_t> pid(WindowId window) const override {
    const auto value = display_.readLongs(window, netWmPid_, XA_CARDINAL, 1);
    if (!value || value->empty()) return std::nullopt;
    const unsigned long pid = value->front() & 0xFFFFFFFFUL;
    if (pid == 0 || pid > static_cast<unsigned long>(std::numeric_limits<std::int32_t>::max())) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(pid);
  }

  std::optional<std::int32_t> clientPid(WindowId window) const override {
    if (!hasXRes_) return std::nullopt;
    XResClientIdSpec spec{static_cast<XID>(window), XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display_.get(), 1, &spec, &count, &ids) != Success) return std::nullopt;
    std::optional<std::int32_t> pid;
    for (long i = 0; i < count && !pid; ++i) {
      if (const pid_t found = XResGetClientPid(&ids[i]); found > 0) pid = found;
    }
    XResClientIdsDestroy(count, ids);
    return pid;
  }

 private:
  struct Tree {
    WindowId parent = 0;
    std::vector<WindowId> children;  // at most kMaxChildren
  };
  // One XQueryTree; none when the window is gone.
  std::optional<Tree> queryTree(WindowId window) const {
    Window rootReturn = 0;
    Window parentReturn = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_.get(), window, &rootReturn, &parentReturn, &children, &count)) {
      return std::nullopt;
    }
    Tree tree{parentReturn,
              std::vector<WindowId>(children, children + std::min(count, kMaxChildren))};
    if (children != nullptr) XFree(children);
    return tree;
  }

  const X11Display& display_;
  bool hasXRes_;
  Atom netActiveWindow_;
  Atom netWmPid_;
  Atom wmState_;
};

}  // namespace

struct X11Workspace::Impl {
  X11Display display;
  // X-Resource 1.2, which tells the process behind a window's connection.
  bool hasXRes = false;
  IconFactory makeIcon;
  // The last window's icon: the panel asks for the application at every paint, and an icon
  // can be hundreds of kilobytes.
  mutable WindowId iconWindow = 0;
  mutable ImageRef icon;

  Impl(IconFactory factory, const std::string& name)
      : display(name.empty() ? nullptr : name.c_str()), makeIcon(std::move(factory)) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    hasXRes = display.isOpen() && XResQueryExtension(display.get(), &event, &error) &&
              XResQueryVersion(display.get(), &major, &minor) &&
              (major > 1 || (major == 1 && minor >= 2));
  }

  XWindowTree tree() const { return XWindowTree(display, hasXRes); }

  // Events nobody selected still arrive (MappingNotify goes to every client); drop them so the
  // queue does not grow.
  void dropEvents() const {
    Display* dpy = display.get();
    while (XPending(dpy) > 0) {
      XEvent event;
      XNextEvent(dpy, &event);
    }
  }

  std::optional<std::string> classOf(Window window) const {
    if (auto wmClass = display.readBytes(window, XA_WM_CLASS, XA_STRING, kMaxNameBytes))
      return wmClassName(*wmClass);
    return std::nullopt;
  }

  std::optional<std::string> nameOf(Window window,
                                    const std::optional<std::string>& wmClass) const {
    if (wmClass) return wmClass;
    const auto netName = display.readBytes(window, display.atom("_NET_WM_NAME"),
                                           display.atom("UTF8_STRING"), kMaxNameBytes);
    if (netName && !netName->empty()) return netName;
    return std::nullopt;
  }

  ImageRef iconOf(Window window) const {
    if (!makeIcon) return nullptr;
    if (window == iconWindow && icon) return icon;
    iconWindow = window;
    icon = nullptr;
    const auto data =
        display.readLongs(window, display.atom("_NET_WM_ICON"), XA_CARDINAL, kMaxIconItems);
    if (!data) return nullptr;
    if (const std::optional<ArgbIcon> chosen = chooseNetWmIcon(*data)) icon = makeIcon(*chosen);
    return icon;
  }
};

X11Workspace::X11Workspace(IconFactory makeIcon, const std::string& displayName)
    : impl_(std::make_unique<Impl>(std::move(makeIcon), displayName)) {}

X11Workspace::~X11Workspace() = default;

bool X11Workspace::isConnected() const {
  return impl_->display.isOpen();
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const {
  if (!isConnected()) return std::nullopt;
  impl_->dropEvents();
  const std::optional<FrontmostWindow> found = findFrontmostWindow(impl_->tree());
  if (!found) return std::nullopt;
  RunningApplication app;
  app.processIdentifier = found->pid;
  app.windowClass = impl_->classOf(found->window);
  app.localizedName = impl_->nameOf(found->window, app.windowClass);
  app.icon = impl_->iconOf(found->window);
  return app;
}

std::uint64_t X11Workspace::modifierFlags() const {
  if (!isConnected()) return 0;
  XkbStateRec state{};
  if (XkbGetState(impl_->display.get(), XkbUseCoreKbd, &state) != Success) return 0;
  return flagsFromXState(state.mods);
}

std::optional<Point> X11Workspace::frontmostWindowCentre() const {
  if (!isConnected()) return std::nullopt;
  const std::optional<FrontmostWindow> found = findFrontmostWindow(impl_->tree());
  if (!found) return std::nullopt;
  Display* dpy = impl_->display.get();
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(dpy, found->window, &attributes)) return std::nullopt;
  int x = 0;
  int y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(dpy, found->window, impl_->display.root(), 0, 0, &x, &y, &child)) {
    return std::nullopt;
  }
  return Point{x + attributes.width / 2.0, y + attributes.height / 2.0};
}

std::optional<std::string> X11Workspace::rootStringProperty(const std::string& name) const {
  if (!isConnected()) return std::nullopt;
  return impl_->display.readBytes(impl_->display.root(), impl_->display.atom(name.c_str()),
                                  XA_STRING, kMaxRootStringBytes);
}

bool X11Workspace::setRootStringProperty(const std::string& name, const std::string& value) {
  if (!isConnected() || value.size() > static_cast<std::size_t>(kMaxRootStringBytes)) return false;
  XChangeProperty(impl_->display.get(), impl_->display.root(), impl_->display.atom(name.c_str()),
                  XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(value.data()),
                  static_cast<int>(value.size()));
  return impl_->display.syncSucceeded();
}

}  // namespace tavrine::x11
