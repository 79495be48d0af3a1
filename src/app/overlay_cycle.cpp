// SPDX-License-Identifier: MIT
// The overlay's show/hide cycle: ask the sources about the frontmost application on the worker,
// show its shortcuts when the hold completes, and poll the live modifier state so that a release
// no event reported still hides the overlay. Applications that did not answer in time are
// remembered, and asked again only in the background.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "app/app_delegate.h"

namespace tavrine {

void AppDelegate::showOverlay() {
  if (startRead(false)) {
    read_->due = true;
    showRead();
  }
}

FrontApplication AppDelegate::frontOf(const RunningApplication& app) {
  const std::int32_t pid = app.processIdentifier;
  return {pid, app.executable.value_or(""), app.desktopEntryId.value_or(""), t_.isZH(),
          knownUnresponsive(pid)};
}

bool AppDelegate::startRead(bool pin) {
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  read_.reset();
  if (!app) return false;
  const FrontApplication front = frontOf(*app);
  read_ = Read{};
  read_->generation = inputGeneration_;
  read_->app = *app;
  read_->pin = pin;
  read_->unasked = front.unresponsive;
  // Its answer will be this read's.
  if (aheadId_ != 0 && aheadPid_ == front.pid && !front.unresponsive) {
    read_->id = aheadId_;
    return true;
  }
  read_->id = ++lastReadId_;
  askSources(front, read_->id);
  if (front.unresponsive) retryUnresponsive(front, read_->id);
  return true;
}

void AppDelegate::askSources(const FrontApplication& front, std::uint64_t id) {
  if (!worker_) worker_ = std::make_shared<ThreadWorker>();
  worker_->post([sources = sources_, front, &runLoop = platform_.runLoop, weak = weak_from_this(),
                 generation = inputGeneration_, id, worker = std::weak_ptr<Worker>(worker_)] {
    // Freed on the worker too, wherever its last reference goes. On the worker already it is
    // freed there and then: a job that held the worker could be the one to destroy it.
    AnswerRef answer(new Answer, [worker](Answer* done) {
      std::shared_ptr<Answer> owned(done);
      if (Worker::onWorkerThread()) return;
      if (const std::shared_ptr<Worker> on = worker.lock()) on->post([owned] {});
    });
    answer->shortcuts = mergeShortcuts(sources, front);
    answer->groups = groupByMenu(answer->shortcuts.application);
    // Quitting: the run loop may be going.
    if (Worker::stopping()) return;
    runLoop.postToMainQueue([weak, generation, id, front, answer] {
      if (const std::shared_ptr<AppDelegate> self = weak.lock())
        self->readArrived({generation, id}, front.pid, !front.unresponsive, answer);
    });
  });
}

void AppDelegate::readArrived(ReadTag tag, std::int32_t pid, bool asked, AnswerRef answer) {
  if (tag.id == aheadId_) {
    if (readAheadArrived(tag.id, pid, answer->shortcuts)) return;
    // Unanswered before any hold: the application is still getting ready, not unresponsive.
    asked = asked && !answer->shortcuts.unanswered;
  }
  if (asked) noteAnswer(pid, answer->shortcuts.unanswered);
  const bool retryAnswered = asked && !answer->shortcuts.unanswered;
  if (retryAnswered && !answer->shortcuts.application.empty()) {
    lastAnswer_ = {pid, processStartOf(pid), answer};
  } else if (lastAnswer_.answer && lastAnswer_.pid == pid &&
             lastAnswer_.start == processStartOf(pid)) {
    // Not in time (or not asked): what the same process answered last, read ahead or at an
    // earlier hold, rather than nothing.
    answer = lastAnswer_.answer;
  }
  if (read_ && read_->id == tag.id) {
    // A retry that answered brings the menu bar the read without it lacked.
    if (!read_->result || (read_->unasked && retryAnswered)) {
      read_->result = std::move(answer);
      read_->unasked = !asked;
      // Before the end of the hold: laid out now, so that the end only puts it on screen.
      if (!read_->due) read_->prepared = prepare(read_->app, *read_->result);
    }
    showRead();
    return;
  }
  // The retry of an application that answers again, after this hold's overlay was decided
  // without it: shown now, while the hold lasts.
  const bool holdShown = tag.generation == inputGeneration_ && !read_ && commandPressTimer &&
                         !commandPressTimer->isValid();
  if (!retryAnswered || !holdShown || overlayPinned) return;
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  if (app && app->processIdentifier == pid) present(*app, std::move(answer), false, false, 0);
}

void AppDelegate::holdCompleted() {
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  // No read under way for this hold, or one for an application no longer in front.
  if (!read_ || read_->generation != inputGeneration_ || !app ||
      app->processIdentifier != read_->app.processIdentifier) {
    if (!startRead(false)) return;
  }
  read_->due = true;
  showRead();
}

void AppDelegate::showRead() {
  if (!read_ || !read_->due || !read_->result) return;
  Read read = std::move(*read_);
  read_.reset();
  // A key or modifier change ended the hold it was for; the status menu's read has no hold.
  if (!read.pin && read.generation != inputGeneration_) return;
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  // Another application came to the front while it was read: its answer is not this one's.
  if (!app || app->processIdentifier != read.app.processIdentifier) return;
  present(read.app, std::move(read.result), read.prepared, read.pin, read.focusBefore);
}

bool AppDelegate::prepare(const RunningApplication& app, Answer& answer) {
  const MergedShortcuts& shortcuts = answer.shortcuts;
  if (shortcuts.application.empty()) return false;
  if (!overlayController) {
    overlayController = std::make_unique<OverlayWindowController>(
        platform_.screens, platform_.panels, t_, overlayStyle_);
    overlayController->actions = weak_from_this();
  }
  const std::string name = app.localizedName.value_or("Unknown");
  // The groups go into the view; preparing again (the first was hidden) groups again.
  const std::string nameZH = app.localizedNameZH.value_or("");
  if (answer.groups.empty()) {
    return overlayController->prepareWithShortcuts(shortcuts.application, name, shortcuts.system,
                                                   nameZH, app.icon);
  }
  return overlayController->prepareWithGroups(std::move(answer.groups), name, shortcuts.system,
                                              nameZH, app.icon);
}

void AppDelegate::present(const RunningApplication& app, AnswerRef answer, bool prepared, bool pin,
                          FocusPort::WindowHandle focusBefore) {
  // Nothing of the application's own to show: an overlay already up stays as it is, poll
  // included.
  if (answer->shortcuts.application.empty()) return;
  // A hide in between drops what was prepared.
  if (!prepared || !overlayController || !overlayController->prepared()) prepare(app, *answer);
  const PanelRef previous = overlayController->window;
  shownPid_ = app.processIdentifier;
  shown_ = std::move(answer);
  ++shownSerial_;
  if (!pinGesture_.armed) pinGesture_ = {true, false, 0};
  overlayController->showPrepared();
  restartReleasePoll();
  if (!pin || !overlayController->window || overlayController->window == previous) return;
  pinOverlay();
  focusBefore_ = focusBefore;
}

bool AppDelegate::knownUnresponsive(std::int32_t pid) {
  const auto known = unresponsive_.find(pid);
  if (known == unresponsive_.end()) return false;
  if (known->second.start == processStartOf(pid)) return true;
  // Another process that has the same pid.
  if (known->second.retryTimer) known->second.retryTimer->invalidate();
  unresponsive_.erase(known);
  return false;
}

void AppDelegate::noteAnswer(std::int32_t pid, bool unanswered) {
  auto known = unresponsive_.find(pid);
  if (!unanswered) {
    if (known == unresponsive_.end()) return;
    if (known->second.retryTimer) known->second.retryTimer->invalidate();
    unresponsive_.erase(known);
    return;
  }
  if (known == unresponsive_.end()) {
    Unresponsive added;
    added.start = processStartOf(pid);
    known = unresponsive_.emplace(pid, std::move(added)).first;
  } else {
    known->second.retryAfter = std::min(known->second.retryAfter * 2, kLastRetry);
  }
  Unresponsive& u = known->second;
  u.retryDue = false;
  u.retrying = false;
  if (u.retryTimer) u.retryTimer->invalidate();
  u.retryTimer =
      platform_.runLoop.scheduleTimer(u.retryAfter, false, [weak = weak_from_this(), pid](Timer&) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (!self) return;
        const auto it = self->unresponsive_.find(pid);
        if (it == self->unresponsive_.end()) return;
        it->second.retryDue = true;
        // A hold still on shows the answer as soon as there is one.
        if (!self->commandPressTimer || self->overlayPinned) return;
        const std::optional<RunningApplication> app =
            self->platform_.workspace.frontmostApplication();
        if (!app || app->processIdentifier != pid) return;
        self->retryUnresponsive(self->frontOf(*app), self->read_ ? self->read_->id : 0);
      });
}

void AppDelegate::retryUnresponsive(const FrontApplication& front, std::uint64_t id) {
  Unresponsive& u = unresponsive_.at(front.pid);
  if (!u.retryDue || u.retrying) return;
  u.retryDue = false;
  u.retrying = true;
  FrontApplication asked = front;
  asked.unresponsive = false;
  askSources(asked, id);  // behind the hold's own read, whose answer it never delays
}

void AppDelegate::restartReleasePoll() {
  if (commandHoldTimer) commandHoldTimer->invalidate();
  commandHoldTimer = platform_.runLoop.scheduleTimer(
      kReleasePollInterval, true, [weak = weak_from_this()](Timer& timer) {
        const std::shared_ptr<AppDelegate> self = weak.lock();
        if (!self) {
          timer.invalidate();  // nothing left to hide
          return;
        }
        // Only Command counts here; other modifiers joining are the flags handler's business.
        if (self->platform_.workspace.modifierFlags() & modifier::kPrimary) return;
        if (self->commandHoldTimer) self->commandHoldTimer->invalidate();
        self->commandHoldTimer.reset();
        self->hideOverlay();
      });
}

void AppDelegate::hideOverlay() {
  if (commandHoldTimer) commandHoldTimer->invalidate();
  commandHoldTimer.reset();
  if (overlayController) overlayController->hide();
  overlayPinned = false;
}

}  // namespace tavrine
