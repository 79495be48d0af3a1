// SPDX-License-Identifier: MIT
// The panel port: the floating, borderless window that shows the overlay.
#pragma once

#include <memory>

#include "ports/geometry.h"

namespace tavrine {

class OverlayView;

// Window style and behaviour, in the platform's own numbering where it has one. The defaults
// are the overlay's: a panel that never activates this process and never takes the keyboard
// from the application in front, floating above normal windows.
struct PanelSettings {
  static constexpr unsigned kStyleNonactivatingPanel = 128;
  static constexpr unsigned kBackingStoreBuffered = 2;
  static constexpr int kFloatingWindowLevel = 3;

  unsigned styleMask = kStyleNonactivatingPanel;  // alone: no title bar, border or controls
  unsigned backing = kBackingStoreBuffered;
  bool defer = false;
  bool opaque = false;
  bool clearBackground = true;  // the content draws the whole visible background itself
  int level = kFloatingWindowLevel;
  bool hasShadow = true;
  std::shared_ptr<OverlayView> content;  // what the panel shows; laid out and painted by the shell
  bool movableByWindowBackground = false;
  bool hidesOnDeactivate = false;
  bool becomesKeyOnlyIfNeeded = true;
};

class Panel {
 public:
  virtual ~Panel() = default;

  // Puts the panel on screen in front of other windows, whichever application is active,
  // without making it key and without activating this process.
  virtual void orderFrontRegardless() = 0;
  // Takes the panel off screen for good; a closed panel is never shown again. Harmless when
  // already closed.
  virtual void close() = 0;
  // Makes a shown panel take the keyboard (a pinned overlay the user types in). Until then it
  // never does.
  virtual void makeKey() {}
};
using PanelRef = std::shared_ptr<Panel>;

class PanelPort {
 public:
  virtual ~PanelPort() = default;

  // A new panel, not yet on screen, whose content area is `contentRect` (screen points, origin
  // at the lower left).
  virtual PanelRef makePanel(const Rect& contentRect, const PanelSettings& settings) = 0;
};

}  // namespace tavrine
