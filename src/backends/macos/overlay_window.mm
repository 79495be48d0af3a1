// SPDX-License-Identifier: MIT
#include "backends/macos/overlay_window.h"

#import <AppKit/AppKit.h>

namespace tavrine::macos {
namespace {

// Black where the material shows, clear outside the rounded rectangle; the corners keep their
// size and the middle stretches with the window.
NSImage* roundedMask(CGFloat radius) {
  const CGFloat side = 2 * radius + 1;
  NSImage* mask = [NSImage imageWithSize:NSMakeSize(side, side)
                                 flipped:NO
                          drawingHandler:^BOOL(NSRect rect) {
                            [NSColor.blackColor setFill];
                            [[NSBezierPath bezierPathWithRoundedRect:rect
                                                             xRadius:radius
                                                             yRadius:radius] fill];
                            return YES;
                          }];
  mask.capInsets = NSEdgeInsetsMake(radius, radius, radius, radius);
  mask.resizingMode = NSImageResizingModeStretch;
  return mask;
}

}  // namespace

void configureOverlayWindow(std::uintptr_t nativeView, const PanelSettings& settings,
                            double cornerRadius) {
  if (nativeView == 0) return;
  NSView* content = (__bridge NSView*)reinterpret_cast<void*>(nativeView);
  NSWindow* window = content.window;
  if (window == nil) return;

  if ([window isKindOfClass:[NSPanel class]]) {
    // Only a panel can be non-activating; the toolkit makes its tool windows panels. No toolkit
    // flag sets this bit when the window is made, so it is set here, before the first show; the
    // toolkit keeps it whenever it recomputes the style mask.
    if (!settings.takesFocus) window.styleMask |= NSWindowStyleMaskNonactivatingPanel;
    static_cast<NSPanel*>(window).becomesKeyOnlyIfNeeded = !settings.takesFocus;
  }
  // The level stays the toolkit's: a tool window that stays on top sits at the modal-panel level,
  // above the floating one. The toolkit moves normal- and floating-level windows down whenever
  // this application resigns active, which would put an open panel behind the user's window.
  window.hidesOnDeactivate = !settings.showsWhileInactive;

  // Behind the content view, inside the window's frame view: the toolkit owns the content view
  // and draws the panel translucently over the material. Looked up only now, as changing the
  // style mask may rebuild the frame view.
  NSView* frameView = content.superview;
  if (frameView == nil || !settings.translucent) return;
  NSVisualEffectView* material = [[NSVisualEffectView alloc] initWithFrame:frameView.bounds];
  material.material = NSVisualEffectMaterialHUDWindow;
  material.blendingMode = NSVisualEffectBlendingModeBehindWindow;
  // Active though this application never is: the frontmost application keeps the focus.
  material.state = NSVisualEffectStateActive;
  material.appearance = [NSAppearance appearanceNamed:NSAppearanceNameDarkAqua];
  material.maskImage = roundedMask(static_cast<CGFloat>(cornerRadius));
  material.autoresizingMask = NSViewWidthSizable | NSViewHeightSizable;
  [frameView addSubview:material positioned:NSWindowBelow relativeTo:content];
}

}  // namespace tavrine::macos
