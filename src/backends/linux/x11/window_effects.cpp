// SPDX-License-Identifier: MIT
#include "backends/linux/x11/window_effects.h"

#include <X11/Xatom.h>

#include "backends/linux/x11/display.h"

namespace tavrine::x11 {
namespace {

constexpr const char* kBlurRegion = "_KDE_NET_WM_BLUR_BEHIND_REGION";

}  // namespace

struct X11WindowEffects::Impl {
  explicit Impl(const std::string& name) : display(name.empty() ? nullptr : name.c_str()) {}
  X11Display display;
};

X11WindowEffects::X11WindowEffects(const std::string& displayName)
    : impl_(std::make_unique<Impl>(displayName)) {}

X11WindowEffects::~X11WindowEffects() = default;

bool X11WindowEffects::isCompositing() const {
  X11Display& x = impl_->display;
  if (!x.isOpen()) return false;
  const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(x.get()));
  return XGetSelectionOwner(x.get(), x.atom(selection.c_str())) != 0;
}

bool X11WindowEffects::offersBlurBehind() const {
  X11Display& x = impl_->display;
  return isCompositing() && x.hasProperty(x.root(), x.atom(kBlurRegion));
}

bool X11WindowEffects::setBlurBehind(std::uint64_t window, const std::vector<PixelRect>& region) {
  X11Display& x = impl_->display;
  if (window == 0 || !x.isOpen()) return false;
  const Window target = static_cast<Window>(window);
  const Atom property = x.atom(kBlurRegion);
  if (region.empty()) {
    XDeleteProperty(x.get(), target, property);
    return x.syncSucceeded();
  }
  if (!offersBlurBehind()) return false;
  // Format-32 items travel as longs in Xlib.
  std::vector<long> items;
  items.reserve(region.size() * 4);
  for (const PixelRect& r : region) {
    if (r.width <= 0 || r.height <= 0) continue;
    items.insert(items.end(), {r.x, r.y, r.width, r.height});
  }
  // A property without items would ask for the whole window, corners and all.
  if (items.empty()) return false;
  XChangeProperty(x.get(), target, property, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(items.data()),
                  static_cast<int>(items.size()));
  return x.syncSucceeded();
}

}  // namespace tavrine::x11
