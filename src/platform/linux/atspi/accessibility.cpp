// SPDX-License-Identifier: MIT
#include "platform/linux/atspi/accessibility.h"

namespace tavrine::atspi {

ax::ElementRef AtspiAccessibility::applicationElement(std::int32_t pid) const {
  const ReadResult read = reader_.read(pid);
  if (!read.found) return nullptr;
  return buildMenuSnapshot(read.replies, parseKeyBinding, limits_);
}

}  // namespace tavrine::atspi
