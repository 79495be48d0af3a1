// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/active_frame.h"

#include <utility>
#include <vector>

namespace tavrine::atspi {

bool ActiveFrameTracker::update() {
  std::optional<FrameRef> now;
  if (!activated_.empty()) now = activated_.back();
  if (now == active_) return false;
  active_ = std::move(now);
  return true;
}

bool ActiveFrameTracker::activated(const FrameRef& frame) {
  ++events_;
  std::erase(activated_, frame);
  // Frames that never announced their deactivation are dropped, the oldest first.
  if (activated_.size() >= kMaxFrames) activated_.erase(activated_.begin());
  activated_.push_back(frame);
  return update();
}

bool ActiveFrameTracker::deactivated(const FrameRef& frame) {
  ++events_;
  std::erase(activated_, frame);
  return update();
}

bool ActiveFrameTracker::applicationGone(const std::string& busName) {
  // Not an event the scan could be older than: a frame it finds there fails later, harmlessly.
  std::erase_if(activated_, [&](const FrameRef& f) { return f.busName == busName; });
  return update();
}

std::uint64_t ActiveFrameTracker::scanStarted() {
  scanEvents_ = events_;
  return ++scans_;
}

bool ActiveFrameTracker::scanFound(std::uint64_t scan, const FrameRef& frame) {
  if (scan != scans_ || events_ != scanEvents_) return false;
  activated_.assign(1, frame);
  return update();
}

}  // namespace tavrine::atspi
