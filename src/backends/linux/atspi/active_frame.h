// SPDX-License-Identifier: MIT
// Which application's frame is active, followed from the accessibility bus: frames carry the
// ACTIVE state, and toolkits announce window:activate and window:deactivate as the keyboard
// moves. Where no accessible frame is active (an application without accessibility is in
// front), there is no frontmost application.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrine::atspi {

struct FrameRef {
  std::string busName;  // the application's unique name on the accessibility bus
  std::string path;     // the frame's object path
  bool operator==(const FrameRef&) const = default;
};

// The frames activated and not deactivated since, the latest in front. Qt 6 announces a frame
// losing the keyboard as activate then deactivate, which may come after the next application's
// activate: that frame, once deactivated, leaves the one activated before it in front.
class ActiveFrameTracker {
 public:
  static constexpr std::size_t kMaxFrames = 16;

  // Events are told in the order they arrived. Returns whether the active frame changed.
  bool activated(const FrameRef& frame);
  bool deactivated(const FrameRef& frame);
  // The application left the bus (its unique name lost its owner).
  bool applicationGone(const std::string& busName);

  // A scan of every application's frames for the ACTIVE state: start one, then report each
  // active frame it finds under the number it was given. An event that arrives during the scan
  // is newer than anything the scan can report, so the scan's finds are then dropped.
  std::uint64_t scanStarted();
  bool scanFound(std::uint64_t scan, const FrameRef& frame);

  const std::optional<FrameRef>& active() const { return active_; }

 private:
  // Recomputes active_ from the list.
  bool update();

  std::vector<FrameRef> activated_;  // oldest first
  std::optional<FrameRef> active_;
  std::uint64_t events_ = 0;  // events seen so far
  std::uint64_t scans_ = 0;
  std::uint64_t scanEvents_ = 0;  // events_ when the last scan started
};

}  // namespace tavrine::atspi
