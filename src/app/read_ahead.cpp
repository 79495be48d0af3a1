// SPDX-License-Identifier: MIT
// Reading ahead: the application that comes to the front is asked in the background, so that the
// first hold over it finds an application that has already built its menus, and a hold that
// comes during that read shows its answer instead of asking again.
#include <memory>

#include "app/app_delegate.h"

namespace tavrine {

void AppDelegate::frontmostChanged() {
  scheduleReadAhead(kReadAheadSettle);
}

void AppDelegate::scheduleReadAhead(double after) {
  if (readAheadTimer_) readAheadTimer_->invalidate();
  readAheadTimer_ =
      platform_.runLoop.scheduleTimer(after, false, [weak = weak_from_this()](Timer& /*timer*/) {
        if (const std::shared_ptr<AppDelegate> self = weak.lock()) self->readAhead();
      });
}

void AppDelegate::readAhead() {
  readAheadTimer_.reset();
  // A hold reads for itself, and one read ahead at a time keeps the worker free for holds.
  if (aheadId_ != 0 || read_ || commandPressTimer || overlayPinned) return;
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  if (!app) return;
  FrontApplication front = frontOf(*app);
  front.ahead = true;
  // One that did not answer a hold is asked again by the holds, at their pace.
  if (front.unresponsive) return;
  if (readAhead_.size() >= kMaxReadAhead && !readAhead_.contains(front.pid)) readAhead_.clear();
  ReadAhead& ahead = readAhead_[front.pid];
  const std::uint64_t start = processStartOf(front.pid);
  if (ahead.start != start) ahead = ReadAhead{start, 0, false};  // the pid was used again
  if (ahead.ready || ahead.tries >= kReadAheadTries) return;
  ++ahead.tries;
  aheadId_ = ++lastReadId_;
  aheadPid_ = front.pid;
  askSources(front, aheadId_);
}

bool AppDelegate::readAheadArrived(std::uint64_t id, std::int32_t pid,
                                   const MergedShortcuts& shortcuts) {
  aheadId_ = 0;
  // Menus still empty are as good as no answer: an application fills them as it gets ready.
  const bool ready = !shortcuts.unanswered && !shortcuts.application.empty();
  if (const auto known = readAhead_.find(pid); known != readAhead_.end())
    known->second.ready = ready;
  const bool forHold = read_ && read_->id == id;
  if (!ready && !forHold) scheduleReadAhead(kFirstRetry);  // again after a pause, while tries last
  if (!shortcuts.unanswered || !forHold) return false;
  // A hold took this read for its own while the application was still getting ready: it asks
  // once more, now that it may be.
  read_->id = ++lastReadId_;
  askSources(frontOf(read_->app), read_->id);
  return true;
}

}  // namespace tavrine
