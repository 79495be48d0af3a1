// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "overlay/grouped_shortcuts.h"
#include "sources/desktop/desktop_shortcuts.h"
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

// The desktop's bindings go to the system section under the catalogue's headings, in its heading
// order, marked as the desktop's; with none bound the catalogue stands in.
TEST(SystemShortcutsTest, DesktopBindingsStandInForTheCatalogue) {
  const auto source = std::make_shared<DesktopShortcuts>(Desktop::gnome);
  const KeyChord superQ = KeyChord::make(KeyChord::kControl, "Q");
  source->update({{SystemHeading::system, "Lock", "", superQ},
                  {SystemHeading::window, "Close", "关闭", superQ},
                  {SystemHeading::general, "Terminal", "", superQ}});
  const MergedShortcuts merged = mergeShortcuts({source}, {});
  ASSERT_TRUE(merged.application.empty());
  std::vector<std::string> shown;
  for (const ShortcutItem& item : merged.system) {
    EXPECT_EQ(item.source(), "desktop");
    shown.push_back(item.menuPath() + "|" + item.menuPathZH() + "|" + item.title() + "|" +
                    item.titleZH());
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"General|通用|Terminal|", "Window|窗口|Close|关闭",
                                             "System|系统|Lock|"}));
  source->update({});
  EXPECT_EQ(source->shortcuts({}), SystemShortcuts::catalogue(Desktop::gnome));
}

}  // namespace
}  // namespace tavrine
