// SPDX-License-Identifier: MIT
#include "backends/macos/ns_workspace.h"

#import <AppKit/AppKit.h>

#include <string>
#include <utility>

#include "backends/macos/ns_image_bitmap.h"

namespace tavrine::macos {

struct NsWorkspace::Impl {
  IconFactory makeIcon;
  NSRunningApplication* iconOwner = nil;  // strong; whose icon `icon` is
  ImageRef icon;
};

NsWorkspace::NsWorkspace(IconFactory makeIcon) : impl_(std::make_unique<Impl>()) {
  impl_->makeIcon = std::move(makeIcon);
}

NsWorkspace::~NsWorkspace() = default;

std::optional<RunningApplication> NsWorkspace::frontmostApplication() const {
  @autoreleasepool {
    NSRunningApplication* application = NSWorkspace.sharedWorkspace.frontmostApplication;
    if (application == nil) return std::nullopt;

    RunningApplication running;
    running.processIdentifier = application.processIdentifier;  // -1 when it has none
    if (NSString* name = application.localizedName) {
      // Null only when the name cannot be had as UTF-8: absent, then.
      if (const char* utf8 = name.UTF8String) running.localizedName = std::string(utf8);
    }
    if (impl_->makeIcon) {
      if (![application isEqual:impl_->iconOwner]) {
        const std::optional<Bitmap> pixels = bitmapOf(application.icon, kIconPixels);
        impl_->icon = pixels ? impl_->makeIcon(*pixels) : nullptr;
        impl_->iconOwner = application;
      }
      running.icon = impl_->icon;
    }
    return running;
  }
}

std::uint64_t NsWorkspace::modifierFlags() const {
  return NSEvent.modifierFlags;
}

}  // namespace tavrine::macos
