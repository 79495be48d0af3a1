// SPDX-License-Identifier: MIT
// Reads an application's menu bar over the AT-SPI bus in a few pipelined batches under one
// deadline, collecting the decoded replies. The transport (sd-bus) stays in the .cpp.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ports/accessibility.h"

#include "backends/linux/atspi/replies.h"

namespace tavrine::atspi {

struct ReadOptions {
  // The whole read, from the first call to the last reply. What has not arrived by then is left
  // out: a stopped or hung application costs at most this once per read.
  std::chrono::milliseconds deadline{250};
  // The same for a read ahead of any hold, which nobody waits for: long enough for an
  // application that builds its menus when first asked (LibreOffice: 0.7 s at rest, more under
  // load).
  std::chrono::milliseconds aheadDeadline{2000};
  // Objects of one menu bar that are read; a larger menu keeps its first ones.
  std::size_t maxNodes = 20'000;
  // Levels of the walk by levels (menus without a cache), below the menu bar.
  std::size_t maxLevels = 16;
  std::size_t maxWindows = 32;
  std::size_t maxApplications = 1'000;
  // Calls awaiting their reply at any time, below the bus's limit per connection (50,000 for a
  // session bus): a larger batch sends the rest as replies come in.
  std::size_t maxCallsInFlight = 4'096;
};

struct ReadStats {
  int batches = 0;
  int calls = 0;
  int answered = 0;  // calls with a reply of any kind, errors included
  bool deadlineHit = false;
  bool usedCache = false;   // the application's cache (GTK) rather than the walk by levels
  bool peerToPeer = false;  // over the application's own socket
  std::chrono::microseconds elapsed{0};
};

struct ReadResult {
  bool found = false;       // the process is on the accessibility bus
  std::string application;  // its unique name there
  MenuReplies replies;
  ReadStats stats;
};

// Not thread-safe: one instance per thread (the program uses it on its worker only). The
// connections (the accessibility bus, applications' own sockets) stay open between reads and
// are opened again when broken.
class AtspiReader {
 public:
  explicit AtspiReader(ReadOptions options = {});
  ~AtspiReader();
  AtspiReader(const AtspiReader&) = delete;
  AtspiReader& operator=(const AtspiReader&) = delete;

  ReadResult read(std::int32_t pid) { return read(pid, options().deadline); }
  ReadResult read(std::int32_t pid, std::chrono::milliseconds deadline);
  const ReadOptions& options() const;
  // Sends Action.DoAction(0) to an object of `application` (a unique name from a read) without
  // awaiting the reply: a menu command that opens a modal dialog answers only when it closes.
  // failure when the bus is gone or the message could not be sent.
  ax::Error press(const std::string& application, const std::string& path);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavrine::atspi
