// SPDX-License-Identifier: MIT
// The panel's backdrop on X11: the compositor and its blur as the X11 backend finds them.
#pragma once

#include "backends/linux/x11/window_effects.h"
#include "shell/overlay/qt_panel.h"

namespace tavrine::program {

class QtX11Backdrop final : public qt::PanelBackdrop {
 public:
  explicit QtX11Backdrop(x11::X11WindowEffects& effects) : effects_(effects) {}

  bool isCompositing() const override { return effects_.isCompositing(); }
  bool blurBehind(WId window, const QRegion& region) override;

 private:
  x11::X11WindowEffects& effects_;
};

}  // namespace tavrine::program
