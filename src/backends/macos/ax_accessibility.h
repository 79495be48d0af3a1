// SPDX-License-Identifier: MIT
// The accessibility port on macOS: other applications' interfaces through AXUIElement. Every
// read is bounded twice over, like the Linux reader's: a messaging timeout on each call, so one
// hung application cannot hold the main thread for long, and one deadline for the whole harvest
// of an application element, after which its elements answer without asking.
#pragma once

#include <chrono>
#include <cstdint>

#include "ports/accessibility.h"

namespace tavrine::macos {

struct AxReadOptions {
  // From applicationElement() on; reads after it fail with cannotComplete and the walk keeps
  // what it has. Requests go one round trip at a time here (one per menu item, one per menu),
  // so this is longer than the Linux reader's pipelined 250 ms.
  std::chrono::milliseconds deadline{1000};
  // The same for a read ahead of any hold, which nobody waits for.
  std::chrono::milliseconds aheadDeadline{3000};
  // The longest one read may wait for the application (never past the deadline).
  std::chrono::milliseconds callTimeout{250};
};

// Used from one thread at a time, the program's worker, with the elements it hands out; a
// hung application answers cannotComplete.
class AxAccessibility final : public ax::AccessibilityPort {
 public:
  explicit AxAccessibility(AxReadOptions options = {}) : options_(options) {}

  // Null for a process id that cannot be an application (zero or negative) or when the system
  // gives no element. Each call starts a new deadline for the tree below it, the longer one for a
  // read ahead.
  using ax::AccessibilityPort::applicationElement;
  ax::ElementRef applicationElement(std::int32_t pid, ax::Patience patience) const override;

 private:
  AxReadOptions options_;
};

}  // namespace tavrine::macos
