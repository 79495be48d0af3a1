// SPDX-License-Identifier: MIT
// Applications that did not answer in time are remembered, and asked again only in the
// background; an application that comes to the front is read ahead, so that the first hold over
// it finds an application that has already built its menus (LibreOffice builds them when first
// asked), and a hold that comes during that read shows its answer instead of asking again.
#include "app/read_cycle.h"

#include <algorithm>
#include <utility>

namespace tavrine {

ReadCycle::ReadCycle(const Platform& platform, std::vector<ShortcutSourceRef> sources,
                     TranslationHelper& t, Host& host, std::shared_ptr<Worker>& worker)
    : platform_(platform), sources_(std::move(sources)), t_(t), host_(host), worker_(worker) {}

void ReadCycle::showNow() {
  if (startRead(false)) {
    read_->due = true;
    showRead();
  }
}

void ReadCycle::showPinned(FocusPort::WindowHandle focusBefore) {
  if (!startRead(true)) return;
  read_->focusBefore = focusBefore;
  read_->due = true;
}

FrontApplication ReadCycle::frontOf(const RunningApplication& app) {
  const std::int32_t pid = app.processIdentifier;
  const Process* process = known(pid);
  return {pid, app.executable.value_or(""), app.desktopEntryId.value_or(""), t_.isZH(),
          process != nullptr && process->unresponsive};
}

std::optional<RunningApplication> ReadCycle::front() const {
  std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  if (app && excluded_ && excluded_(*app)) return std::nullopt;
  return app;
}

bool ReadCycle::startRead(bool pin) {
  const std::optional<RunningApplication> app = front();
  read_.reset();
  if (!app) return false;
  const FrontApplication front = frontOf(*app);
  read_ = Read{};
  read_->generation = host_.inputGeneration();
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

void ReadCycle::askSources(const FrontApplication& front, std::uint64_t id) {
  if (!worker_) worker_ = std::make_shared<ThreadWorker>();
  worker_->post([sources = sources_, front, &runLoop = platform_.runLoop, this, owner = owner_,
                 generation = host_.inputGeneration(), id,
                 worker = std::weak_ptr<Worker>(worker_)] {
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
    runLoop.postToMainQueue([this, owner, generation, id, front, answer] {
      if (const auto alive = owner.lock())
        readArrived({generation, id}, front.pid, !front.unresponsive, answer);
    });
  });
}

void ReadCycle::readArrived(ReadTag tag, std::int32_t pid, bool asked, AnswerRef answer) {
  if (tag.id == aheadId_) {
    if (readAheadArrived(tag.id, pid, answer->shortcuts)) return;
    // Unanswered before any hold: the application is still getting ready, not unresponsive.
    asked = asked && !answer->shortcuts.unanswered;
  }
  if (asked) noteAnswer(pid, answer->shortcuts.unanswered);
  const bool retryAnswered = asked && !answer->shortcuts.unanswered;
  if (retryAnswered && !answer->shortcuts.application.empty()) {
    remember(pid, answer);
  } else if (const Process* process = known(pid); process != nullptr && process->last) {
    // Not in time (or not asked): what the same process answered last, read ahead or at an
    // earlier hold, rather than nothing.
    answer = process->last;
  }
  if (read_ && read_->id == tag.id) {
    // A retry that answered brings the menu bar the read without it lacked.
    if (!read_->result || (read_->unasked && retryAnswered)) {
      read_->result = std::move(answer);
      read_->unasked = !asked;
      // Before the end of the hold: laid out now, so that the end only puts it on screen.
      if (!read_->due) read_->prepared = host_.prepare(read_->app, *read_->result);
    }
    showRead();
    return;
  }
  // The retry of an application that answers again, after this hold's overlay was decided
  // without it: shown now, while the hold lasts.
  const bool holdShown =
      tag.generation == host_.inputGeneration() && !read_ && host_.holdCompleted();
  if (!retryAnswered || !holdShown || host_.isOverlayPinned()) return;
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  if (app && app->processIdentifier == pid) host_.present(*app, std::move(answer), false, false, 0);
}

void ReadCycle::holdCompleted() {
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  // No read under way for this hold, or one for an application no longer in front.
  if (!read_ || read_->generation != host_.inputGeneration() || !app ||
      app->processIdentifier != read_->app.processIdentifier) {
    if (!startRead(false)) return;
  }
  read_->due = true;
  showRead();
}

void ReadCycle::showRead() {
  if (!read_ || !read_->due || !read_->result) return;
  Read read = std::move(*read_);
  read_.reset();
  // A key or modifier change ended the hold it was for; the status menu's read has no hold.
  if (!read.pin && read.generation != host_.inputGeneration()) return;
  const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
  // Another application came to the front while it was read: its answer is not this one's.
  if (!app || app->processIdentifier != read.app.processIdentifier) return;
  host_.present(read.app, std::move(read.result), read.prepared, read.pin, read.focusBefore);
}

void ReadCycle::scheduleReadAhead(double after) {
  if (readAheadTimer_) readAheadTimer_->invalidate();
  readAheadTimer_ = platform_.runLoop.scheduleTimer(after, false, [this, owner = owner_](Timer&) {
    if (const auto alive = owner.lock()) readAhead();
  });
}

void ReadCycle::readAhead() {
  readAheadTimer_.reset();
  // A hold reads for itself, and one read ahead at a time keeps the worker free for holds.
  if (aheadId_ != 0 || read_ || host_.holdOn() || host_.isOverlayPinned()) return;
  const std::optional<RunningApplication> app = front();
  if (!app) return;
  FrontApplication front = frontOf(*app);
  front.ahead = true;
  // One that did not answer a hold is asked again by the holds, at their pace.
  if (front.unresponsive) return;
  if (processes_.size() >= kMaxProcesses && !processes_.contains(front.pid)) forgetProcesses();
  Process& process = record(front.pid);
  if (process.aheadReady || process.aheadTries >= kReadAheadTries) return;
  ++process.aheadTries;
  aheadId_ = ++lastReadId_;
  aheadPid_ = front.pid;
  askSources(front, aheadId_);
}

bool ReadCycle::readAheadArrived(std::uint64_t id, std::int32_t pid,
                                 const MergedShortcuts& shortcuts) {
  aheadId_ = 0;
  // Menus still empty are as good as no answer: an application fills them as it gets ready.
  const bool ready = !shortcuts.unanswered && !shortcuts.application.empty();
  if (Process* process = known(pid)) process->aheadReady = ready;
  const bool forHold = read_ && read_->id == id;
  if (!ready && !forHold) scheduleReadAhead(kFirstRetry);  // again after a pause, while tries last
  if (!shortcuts.unanswered || !forHold) return false;
  // A hold took this read for its own while the application was still getting ready: it asks
  // once more, now that it may be.
  read_->id = ++lastReadId_;
  askSources(frontOf(read_->app), read_->id);
  return true;
}

ReadCycle::Process* ReadCycle::known(std::int32_t pid) {
  const auto found = processes_.find(pid);
  if (found == processes_.end()) return nullptr;
  if (found->second.start == processStartOf(pid)) return &found->second;
  // Another process that has the same pid.
  if (found->second.retryTimer) found->second.retryTimer->invalidate();
  processes_.erase(found);
  return nullptr;
}

ReadCycle::Process& ReadCycle::record(std::int32_t pid) {
  if (Process* process = known(pid)) return *process;
  Process& added = processes_[pid];
  added.start = processStartOf(pid);
  return added;
}

void ReadCycle::forgetProcesses() {
  // What matters beyond reads ahead stays: a process not answering, the last answer.
  std::erase_if(processes_,
                [](const auto& entry) { return !entry.second.unresponsive && !entry.second.last; });
  for (auto& [pid, process] : processes_) {
    process.aheadTries = 0;
    process.aheadReady = false;
  }
}

void ReadCycle::remember(std::int32_t pid, AnswerRef answer) {
  if (lastAnswered_ != pid) {
    if (const auto previous = processes_.find(lastAnswered_); previous != processes_.end())
      previous->second.last.reset();
  }
  lastAnswered_ = pid;
  record(pid).last = std::move(answer);
}

void ReadCycle::noteAnswer(std::int32_t pid, bool unanswered) {
  Process* const found = known(pid);
  if (!unanswered) {
    if (found == nullptr || !found->unresponsive) return;
    if (found->retryTimer) found->retryTimer->invalidate();
    found->unresponsive = false;
    found->retryAfter = kFirstRetry;
    found->retryTimer.reset();
    return;
  }
  Process& p = found != nullptr ? *found : record(pid);
  if (p.unresponsive) p.retryAfter = std::min(p.retryAfter * 2, kLastRetry);
  p.unresponsive = true;
  p.retryDue = false;
  p.retrying = false;
  if (p.retryTimer) p.retryTimer->invalidate();
  p.retryTimer =
      platform_.runLoop.scheduleTimer(p.retryAfter, false, [this, owner = owner_, pid](Timer&) {
        const auto alive = owner.lock();
        if (!alive) return;
        Process* const process = known(pid);
        if (process == nullptr || !process->unresponsive) return;
        process->retryDue = true;
        // A hold still on shows the answer as soon as there is one.
        if (!host_.holdOn() || host_.isOverlayPinned()) return;
        const std::optional<RunningApplication> app = platform_.workspace.frontmostApplication();
        if (!app || app->processIdentifier != pid) return;
        retryUnresponsive(frontOf(*app), read_ ? read_->id : 0);
      });
}

void ReadCycle::retryUnresponsive(const FrontApplication& front, std::uint64_t id) {
  Process& p = record(front.pid);
  if (!p.retryDue || p.retrying) return;
  p.retryDue = false;
  p.retrying = true;
  FrontApplication asked = front;
  asked.unresponsive = false;
  askSources(asked, id);  // behind the hold's own read, whose answer it never delays
}

}  // namespace tavrine
