// SPDX-License-Identifier: MIT
// Reading the application in front: the sources are asked on the worker, for a hold, for the
// status menu's item, or ahead of any hold when an application comes to the front, and what they
// answer is handed to the overlay when it is still this hold's and its application still in
// front. Each process (pid and start time) has one record: its reads ahead, whether it stopped
// answering and when it is asked again, and the last answer it gave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "app/worker.h"
#include "i18n/translation_helper.h"
#include "overlay/grouped_shortcuts.h"
#include "ports/platform.h"
#include "sources/shortcut_source.h"

namespace tavrine {

class ReadCycle {
 public:
  // An application that did not answer is asked again in the background, at a hold or while one
  // lasts, at most once per interval, which doubles from the first up to the last.
  static constexpr double kFirstRetry = 1.0;
  static constexpr double kLastRetry = 32.0;
  // An application that comes to the front is read ahead once it has stayed there this long, so
  // that passing through windows (Alt+Tab) reads none of them.
  static constexpr double kReadAheadSettle = 0.3;
  // Reads ahead of one process that may go unanswered before it is left to the holds.
  static constexpr int kReadAheadTries = 3;

  // What the sources answered (with what they found of the menu bar, the reason an empty
  // overlay gives), with the records grouped as the overlay shows them: made and freed on the
  // worker, so that a large menu costs the main thread nothing per row.
  struct Answer {
    MergedShortcuts shortcuts;
    GroupedShortcuts groups;  // moved into the overlay when it is prepared
  };
  using AnswerRef = std::shared_ptr<Answer>;

  // What the reads need of the rest of the application.
  class Host {
   public:
    virtual ~Host() = default;
    virtual std::uint64_t inputGeneration() const = 0;
    virtual bool holdOn() const = 0;         // a hold pending, or completed and still held
    virtual bool holdCompleted() const = 0;  // completed and still held
    virtual bool isOverlayPinned() const = 0;
    // Lays the overlay out off screen (without rows, with the reason for it); false when there
    // is no screen.
    virtual bool prepare(const RunningApplication& app, Answer& answer) = 0;
    virtual void present(const RunningApplication& app, AnswerRef answer, bool prepared, bool pin,
                         FocusPort::WindowHandle focusBefore) = 0;
  };

  // `worker` is the owner's, made here on first use unless set before.
  ReadCycle(const Platform& platform, std::vector<ShortcutSourceRef> sources, TranslationHelper& t,
            Host& host, std::shared_ptr<Worker>& worker);
  ReadCycle(const ReadCycle&) = delete;
  ReadCycle& operator=(const ReadCycle&) = delete;
  void setOwner(std::weak_ptr<const void> owner) { owner_ = std::move(owner); }

  // The identity of a process beside its pid (its start time), which tells a pid used again
  // apart; 0 when unknown. Called on the main thread.
  void setProcessStart(std::function<std::uint64_t(std::int32_t pid)> processStart) {
    processStart_ = std::move(processStart);
  }

  // Applications never read nor shown (the user's choice).
  void setExcluded(std::function<bool(const RunningApplication&)> excluded) {
    excluded_ = std::move(excluded);
  }
  // The application in front, unless it is one never to read.
  std::optional<RunningApplication> front() const;

  // Asks about the application in front for the hold under way; false when there is none.
  bool startHoldRead() { return startRead(false); }
  // The hold completed: shows what was read, or what will be.
  void holdCompleted();
  // Asks and shows as soon as the answer comes.
  void showNow();
  // The status menu's read: shown pinned, the keyboard going back to `focusBefore` at the close.
  void showPinned(FocusPort::WindowHandle focusBefore);
  // Another application may have come to the front: it is read ahead once it stays there.
  void frontmostChanged() { scheduleReadAhead(kReadAheadSettle); }

 private:
  // A read of the sources for one hold (or the status menu's item).
  struct Read {
    std::uint64_t id = 0;
    std::uint64_t generation = 0;
    RunningApplication app;
    AnswerRef result;
    bool due = false;  // shown as soon as the result arrives
    bool pin = false;  // pinned once shown
    FocusPort::WindowHandle focusBefore = 0;
    bool unasked = false;   // the application itself was not asked: it did not answer before
    bool prepared = false;  // its overlay is laid out off screen
  };
  struct ReadTag {
    std::uint64_t generation;  // the input generation when asked
    std::uint64_t id;          // the Read asked for
  };
  // One process, as long as its pid is not used again.
  struct Process {
    std::uint64_t start = 0;  // processStart's answer
    int aheadTries = 0;
    bool aheadReady = false;  // a read ahead answered with rows
    bool unresponsive = false;
    double retryAfter = kFirstRetry;
    bool retryDue = false;
    bool retrying = false;
    TimerRef retryTimer;
    AnswerRef last;  // its last answer with rows; one process at a time keeps one
  };
  // Past this many processes, those known only for their reads ahead are forgotten.
  static constexpr std::size_t kMaxProcesses = 256;

  // Asks the sources about the application in front, on the worker; false when there is none.
  bool startRead(bool pin);
  FrontApplication frontOf(const RunningApplication& app);
  // Asks every source on the worker; the answer comes back to readArrived under `id`.
  void askSources(const FrontApplication& front, std::uint64_t id);
  void readArrived(ReadTag tag, std::int32_t pid, bool asked, AnswerRef answer);
  void scheduleReadAhead(double after);
  void readAhead();
  // A read ahead's answer came; true when the hold that waits for it asks again instead.
  bool readAheadArrived(std::uint64_t id, std::int32_t pid, const MergedShortcuts& shortcuts);
  // Shows the finished read if it is still this hold's and its application is still in front.
  void showRead();

  // The record of `pid`; null when there is none, or it was another process's.
  Process* known(std::int32_t pid);
  Process& record(std::int32_t pid);
  void forgetProcesses();
  void remember(std::int32_t pid, AnswerRef answer);
  void noteAnswer(std::int32_t pid, bool unanswered);
  // Asks again in the background, the answer coming back under `id`, when a retry is due.
  void retryUnresponsive(const FrontApplication& front, std::uint64_t id);
  std::uint64_t processStartOf(std::int32_t pid) const {
    return processStart_ ? processStart_(pid) : 0;
  }

  Platform platform_;
  std::vector<ShortcutSourceRef> sources_;
  TranslationHelper& t_;
  Host& host_;
  std::shared_ptr<Worker>& worker_;
  std::weak_ptr<const void> owner_;
  std::function<std::uint64_t(std::int32_t)> processStart_;
  std::function<bool(const RunningApplication&)> excluded_;
  std::optional<Read> read_;
  std::uint64_t lastReadId_ = 0;
  std::unordered_map<std::int32_t, Process> processes_;
  std::int32_t lastAnswered_ = 0;  // the process whose record keeps the last answer
  TimerRef readAheadTimer_;
  std::uint64_t aheadId_ = 0;  // the read ahead under way; 0 when none
  std::int32_t aheadPid_ = 0;
};

}  // namespace tavrine
