// SPDX-License-Identifier: MIT
// The workspace port on macOS: NSWorkspace's frontmost application with its name and icon, and
// NSEvent's live modifier state.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "backends/macos/image_bitmap.h"
#include "ports/workspace.h"

namespace tavrine::macos {

// Main thread only.
class NsWorkspace final : public WorkspacePort {
 public:
  // Turns an application's icon into an image the shell can draw; null for none.
  using IconFactory = std::function<ImageRef(const Bitmap& icon)>;
  // The longer side of the icons handed to the factory (the header shows them at 32 points).
  static constexpr int kIconPixels = 64;

  // Without `makeIcon` applications come without icons.
  explicit NsWorkspace(IconFactory makeIcon = {});
  ~NsWorkspace() override;
  NsWorkspace(const NsWorkspace&) = delete;
  NsWorkspace& operator=(const NsWorkspace&) = delete;

  // The application that receives key events. Its icon is drawn once per application and kept
  // while it stays in front (the panel asks at every render).
  std::optional<RunningApplication> frontmostApplication() const override;
  std::uint64_t modifierFlags() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrine::macos
