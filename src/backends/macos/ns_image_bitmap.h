// SPDX-License-Identifier: MIT
// NSImage to pixels, for the backend's Objective-C++ files.
#pragma once

#import <AppKit/AppKit.h>

#include <optional>

#include "backends/macos/image_bitmap.h"

namespace tavrine::macos {

// `image` scaled so that its longer side is `pixels` long, keeping its proportions; none for a
// nil image, an empty one, or one that cannot be drawn.
std::optional<Bitmap> bitmapOf(NSImage* image, int pixels);

}  // namespace tavrine::macos
