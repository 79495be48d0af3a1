// SPDX-License-Identifier: MIT
// The panel port: the floating, borderless window that shows the overlay.
#pragma once

#include <memory>

#include "ports/geometry.h"

namespace tavrine {

class OverlayView;

// What the panel is asked to be. The defaults are the overlay's: a panel that never activates this
// process and never takes the keyboard from the application in front, above normal windows,
// translucent where the content leaves it clear.
struct PanelSettings {
  bool takesFocus = false;        // until makeKey(); showing it never activates this process
  bool aboveOtherWindows = true;  // whichever application is active
  bool translucent = true;        // the content draws the whole visible background itself
  bool hasShadow = true;
  bool showsWhileInactive = true;        // this process is never the active one
  std::shared_ptr<OverlayView> content;  // what the panel shows; laid out and painted by the shell
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
  // How much larger than designed panels draw their content (the user's size): a panel's
  // greatest size grows with it.
  virtual double panelScale() const { return 1; }
};

}  // namespace tavrine
