// SPDX-License-Identifier: MIT
// What the X11 compositor offers a translucent window: whether one runs at all, and KDE's blur
// of what lies behind a window region.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavrine::x11 {

// A rectangle of window pixels.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class X11WindowEffects {
 public:
  // Opens a connection of its own to `displayName` (empty: $DISPLAY). Without an X server there
  // is no compositor and no blur.
  explicit X11WindowEffects(const std::string& displayName = {});
  ~X11WindowEffects();
  X11WindowEffects(const X11WindowEffects&) = delete;
  X11WindowEffects& operator=(const X11WindowEffects&) = delete;

  // Whether a compositing manager owns _NET_WM_CM_S<n> of the default screen: only then do
  // transparent pixels show what lies behind instead of black.
  bool isCompositing() const;
  // Whether the compositor blurs behind windows that ask: KWin's blur announces its region
  // property on the root window, and only while compositing.
  bool offersBlurBehind() const;
  // Asks for the blur behind `region` of `window` (_KDE_NET_WM_BLUR_BEHIND_REGION: x, y, width,
  // height per rectangle); an empty region withdraws the request. False when the blur is not
  // offered or the window is gone.
  bool setBlurBehind(std::uint64_t window, const std::vector<PixelRect>& region);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrine::x11
