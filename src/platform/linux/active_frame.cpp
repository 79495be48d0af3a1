// SPDX-License-Identifier: MIT
#include "platform/linux/active_frame.h"

#include <utility>

namespace tavrine::atspi {

bool ActiveFrameTracker::set(std::optional<FrameRef> frame) {
  if (frame == active_) return false;
  active_ = std::move(frame);
  return true;
}

bool ActiveFrameTracker::activated(const FrameRef& frame) {
  ++events_;
  return set(frame);
}

bool ActiveFrameTracker::deactivated(const FrameRef& frame) {
  ++events_;
  // Signals of two applications are not ordered: the old frame's deactivate may come after the
  // new frame's activate, and must not undo it.
  if (active_ != frame) return false;
  return set(std::nullopt);
}

bool ActiveFrameTracker::applicationGone(const std::string& busName) {
  // Not an event the scan could be older than: a frame it finds there fails later, harmlessly.
  if (!active_ || active_->busName != busName) return false;
  return set(std::nullopt);
}

std::uint64_t ActiveFrameTracker::scanStarted() {
  scanEvents_ = events_;
  return ++scans_;
}

bool ActiveFrameTracker::scanFound(std::uint64_t scan, const FrameRef& frame) {
  if (scan != scans_ || events_ != scanEvents_) return false;
  return set(frame);
}

}  // namespace tavrine::atspi
