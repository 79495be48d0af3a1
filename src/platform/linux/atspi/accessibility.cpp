// SPDX-License-Identifier: MIT
#include "platform/linux/atspi/accessibility.h"

#include <string>
#include <utility>

namespace tavrine::atspi {

ax::ElementRef AtspiAccessibility::applicationElement(std::int32_t pid) const {
  const ReadResult read = reader_.read(pid);
  if (!read.found) return nullptr;
  // Items press through this port's reader, which outlives every snapshot it hands out.
  ItemPress press = [reader = &reader_, application = read.application](const std::string& path) {
    return reader->press(application, path);
  };
  return buildMenuSnapshot(read.replies, parseKeyBinding, limits_, std::move(press));
}

}  // namespace tavrine::atspi
