// SPDX-License-Identifier: MIT
// The accessibility port on Linux: an application's menu bar read over AT-SPI in one bounded
// read, handed to the walk as a snapshot that answers every attribute from memory.
#pragma once

#include <cstdint>

#include "backends/linux/atspi/menu_snapshot.h"
#include "backends/linux/atspi/reader.h"
#include "ports/accessibility.h"

namespace tavrine::atspi {

// Called on one thread only, the program's worker (the reader is not thread-safe); its elements
// too. Each applicationElement() reads afresh; the connections stay open between calls. Its items'
// press sends AT-SPI's DoAction through this port, so the port must outlive the elements it hands
// out.
class AtspiAccessibility final : public ax::AccessibilityPort {
 public:
  explicit AtspiAccessibility(ReadOptions options = {}, SnapshotLimits limits = {})
      : reader_(options), limits_(limits) {}

  // Null when the process is not on the accessibility bus (or the bus cannot be reached); an
  // application without a readable menu bar gives an element whose menu bar has no value, one
  // that let the deadline pass before any of its key bindings was read (a read ahead: before
  // the end), an element whose every read is cannotComplete.
  using ax::AccessibilityPort::applicationElement;
  ax::ElementRef applicationElement(std::int32_t pid, ax::Patience patience) const override;

 private:
  mutable AtspiReader reader_;
  SnapshotLimits limits_;
};

}  // namespace tavrine::atspi
