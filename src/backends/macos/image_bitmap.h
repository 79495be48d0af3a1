// SPDX-License-Identifier: MIT
// Images from AppKit as plain pixels, for the shell to draw: application icons and system
// symbols.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavrine::macos {

// Premultiplied ARGB pixels (0xAARRGGBB in native byte order), rows from the top.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The system symbol `name` ("command.square", macOS 11 and later) drawn black on clear so that
// its longer side is `pixels` long, for use as a template (mask) image; none when the system has
// no such symbol.
std::optional<Bitmap> systemSymbolBitmap(std::string_view name,
                                         std::string_view accessibilityDescription, int pixels);

}  // namespace tavrine::macos
