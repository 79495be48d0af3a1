// SPDX-License-Identifier: MIT
#include "backends/macos/image_bitmap.h"

#include <CoreGraphics/CoreGraphics.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "backends/macos/cf_ref.h"
#include "backends/macos/ns_image_bitmap.h"

namespace tavrine::macos {

std::optional<Bitmap> bitmapOf(NSImage* image, int pixels) {
  if (image == nil || pixels <= 0) return std::nullopt;
  const NSSize size = image.size;
  if (!(size.width > 0) || !(size.height > 0)) return std::nullopt;
  const double scale = pixels / std::max(size.width, size.height);
  Bitmap bitmap;
  bitmap.width = std::max(1, static_cast<int>(std::lround(size.width * scale)));
  bitmap.height = std::max(1, static_cast<int>(std::lround(size.height * scale)));
  bitmap.pixels.assign(
      static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height), 0);

  @autoreleasepool {
    // The image picks the representation that suits this many pixels. The CGImage is lent to
    // us (not a Create or Copy function); the pool above keeps it alive while we draw it.
    NSRect proposed = NSMakeRect(0, 0, bitmap.width, bitmap.height);
    CGImageRef drawn = [image CGImageForProposedRect:&proposed context:nil hints:nil];
    if (drawn == nullptr) return std::nullopt;

    const CFRef<CGColorSpaceRef> sRGB(CGColorSpaceCreateWithName(kCGColorSpaceSRGB));
    if (!sRGB) return std::nullopt;
    // 32-bit words in native order with alpha first and premultiplied: 0xAARRGGBB.
    const uint32_t layout = static_cast<uint32_t>(kCGImageAlphaPremultipliedFirst) |
                            static_cast<uint32_t>(kCGBitmapByteOrder32Host);
    const CFRef<CGContextRef> context(CGBitmapContextCreate(
        bitmap.pixels.data(), static_cast<size_t>(bitmap.width), static_cast<size_t>(bitmap.height),
        8, static_cast<size_t>(bitmap.width) * 4, sRGB.get(), layout));
    if (!context) return std::nullopt;
    CGContextDrawImage(context.get(), CGRectMake(0, 0, bitmap.width, bitmap.height), drawn);
  }
  return bitmap;
}

std::optional<Bitmap> systemSymbolBitmap(std::string_view name,
                                         std::string_view accessibilityDescription, int pixels) {
  const CFRef<CFStringRef> symbol = cfString(name);
  const CFRef<CFStringRef> description = cfString(accessibilityDescription);
  if (!symbol) return std::nullopt;
  @autoreleasepool {
    NSImage* image = [NSImage imageWithSystemSymbolName:(__bridge NSString*)symbol.get()
                               accessibilityDescription:(__bridge NSString*)description.get()];
    return bitmapOf(image, pixels);
  }
}

}  // namespace tavrine::macos
