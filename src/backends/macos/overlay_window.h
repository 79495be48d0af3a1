// SPDX-License-Identifier: MIT
// What the toolkit cannot say about the overlay's window on macOS, set on its NSWindow: a
// non-activating panel at the floating level that stays on screen while this application is
// inactive and becomes key only if needed, over a blurred dark material cut to the panel's
// rounded shape.
#pragma once

#include <cstdint>

#include "ports/panel.h"

namespace tavrine::macos {

// `nativeView` is the toolkit's handle of the window's content view (an NSView, as Qt's winId()
// gives it on macOS), after the window was created and before it is shown. Does nothing for a
// null handle or a view without a window. `cornerRadius` in points, that of the painted panel.
void configureOverlayWindow(std::uintptr_t nativeView, const PanelSettings& settings,
                            double cornerRadius);

}  // namespace tavrine::macos
