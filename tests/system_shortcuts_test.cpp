// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "overlay/grouped_shortcuts.h"
#include "sources/system/system_shortcuts.h"
#include "support/golden_cases.h"

namespace tavrine {
namespace {

// Every desktop's catalogue in tests/golden/system.txt: four groups of distinct shortcuts, each
// titled in both languages. The source delivers its desktop's catalogue to the system section.
TEST(SystemShortcutsTest, EveryDesktopHasItsOwnCatalogue) {
  std::ostringstream dump;
  for (const Desktop desktop :
       {Desktop::macOS, Desktop::gnome, Desktop::kde, Desktop::xfce, Desktop::otherLinux}) {
    const SystemShortcuts source(desktop);
    EXPECT_EQ(source.placement(), ShortcutSource::Placement::system);
    EXPECT_EQ(source.shortcuts({}), SystemShortcuts::catalogue(desktop));
    dump << "# desktop " << static_cast<int>(desktop) << "\n";
    for (const ShortcutGroup& group : groupByHeading(SystemShortcuts::catalogue(desktop))) {
      dump << group.heading << " | " << group.headingZH << "\n";
      for (const ShortcutItem& item : group.items) {
        dump << "  " << item.title() << " | " << item.titleZH() << " |";
        for (const std::string& cap : keyCaps(item.chord()))
          dump << " " << cap;
        dump << (item.source() == SystemShortcuts::kName ? "\n" : " (another source)\n");
      }
    }
  }
  doubles::expectGolden("system.txt", dump.str());
}

}  // namespace
}  // namespace tavrine
