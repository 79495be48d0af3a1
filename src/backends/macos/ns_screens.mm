// SPDX-License-Identifier: MIT
#include "backends/macos/ns_screens.h"

#import <AppKit/AppKit.h>

namespace tavrine::macos {

std::optional<Rect> NsScreens::mainScreenVisibleFrame() const {
  NSScreen* screen = NSScreen.mainScreen;
  if (screen == nil) return std::nullopt;
  const NSRect frame = screen.visibleFrame;
  return Rect{{frame.origin.x, frame.origin.y}, {frame.size.width, frame.size.height}};
}

}  // namespace tavrine::macos
