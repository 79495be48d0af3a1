// SPDX-License-Identifier: MIT
// Reads a running application's menu bar over AT-SPI, as the program does:
//   tavrine-atspi-read dump PID      the collected replies, in the fixtures' text form
//   tavrine-atspi-read records PID   the shortcut records the walk makes of them
//   tavrine-atspi-read stats PID     what the read cost
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "backends/linux/atspi/menu_snapshot.h"
#include "backends/linux/atspi/reader.h"
#include "harvest/accessibility_helper.h"

namespace {

int usage() {
  std::fputs("usage: tavrine-atspi-read dump|records|stats PID\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return usage();
  const std::string_view mode = argv[1];
  const auto pid = static_cast<std::int32_t>(std::atoi(argv[2]));
  tavrine::atspi::AtspiReader reader;
  const tavrine::atspi::ReadResult read = reader.read(pid);
  if (mode == "dump") {
    std::fputs(tavrine::atspi::formatReplies(read.replies).c_str(), stdout);
  } else if (mode == "records") {
    const auto app =
        tavrine::atspi::buildMenuSnapshot(read.replies, tavrine::keys::parseKeyBinding);
    for (const auto& item : tavrine::AccessibilityHelper::getShortcuts(*app)) {
      std::printf("%s\t%s\t%s\n", item.menuPath().c_str(), item.title().c_str(),
                  item.shortcut().c_str());
    }
  } else if (mode != "stats") {
    return usage();
  }
  const auto& s = read.stats;
  std::fprintf(
      stderr,
      "found=%d cache=%d p2p=%d batches=%d calls=%d answered=%d deadline=%d elapsed=%.3f ms\n",
      read.found, s.usedCache, s.peerToPeer, s.batches, s.calls, s.answered, s.deadlineHit,
      static_cast<double>(s.elapsed.count()) / 1000.0);
  return read.found ? 0 : 1;
}
