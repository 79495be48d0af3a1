// SPDX-License-Identifier: MIT
// Menus as other applications might answer them over AT-SPI, in the replies' text form: any
// tree (loops, shared nodes, contradicting parents, odd roles and bindings) builds a bounded
// snapshot that the walk reads without fault, and the text form reads back what it wrote.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "backends/linux/atspi/menu_snapshot.h"
#include "backends/linux/atspi/replies.h"
#include "harvest/accessibility_helper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const tavrine::atspi::RepliesParse parsed = tavrine::atspi::parseReplies(input);
  if (!parsed.replies) return 0;
  const tavrine::atspi::RepliesParse again =
      tavrine::atspi::parseReplies(tavrine::atspi::formatReplies(*parsed.replies));
  if (!again.replies || !(*again.replies == *parsed.replies)) __builtin_trap();

  const tavrine::ax::ElementRef app = tavrine::atspi::buildMenuSnapshot(
      *parsed.replies, tavrine::keys::parseKeyBinding, {.maxElements = 2'000, .maxDepth = 16});
  if (!app) __builtin_trap();
  for (const tavrine::ShortcutItem& item : tavrine::AccessibilityHelper::getShortcuts(*app)) {
    if (item.title().empty() || item.menuPath().empty() || item.shortcut().empty())
      __builtin_trap();
  }
  return 0;
}
