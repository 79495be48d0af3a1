// SPDX-License-Identifier: MIT
// Demonstration of the core without a window server: harvests a menu bar described in a text file
// (the editor sample by default), then prints each shortcut record with its key caps and the
// texts the overlay would show in English and in Chinese.
#include <cstdio>
#include <string>

#include "backends/memory/memory_accessibility.h"
#include "harvest/accessibility_helper.h"
#include "i18n/translation_helper.h"
#include "model/key_chord.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : TAVRINE_SAMPLE_MENU;
  const tavrine::ax::MenuTreeParse parsed = tavrine::ax::loadMenuTree(path);
  if (!parsed.tree) {
    std::fprintf(stderr, "%s\n", parsed.error.c_str());
    return 1;
  }

  const auto records = tavrine::AccessibilityHelper::getShortcuts(parsed.tree->application());
  tavrine::TranslationHelper translation;
  std::printf("%zu shortcuts from %s (%zu attribute reads)\n\n", records.size(), path.c_str(),
              parsed.tree->reads().total);
  for (const tavrine::ShortcutItem& item : records) {
    std::string caps;
    for (const std::string& cap : tavrine::keyCaps(item.chord()))
      caps += "[" + cap + "]";
    translation.setIsZH(true);
    const std::string menuZH = translation.translateMenu(item.menuPath());
    const std::string titleZH = translation.translateCommand(item.title());
    std::printf("%-8s %-28s %-16s | %s / %s\n", item.menuPath().c_str(), item.title().c_str(),
                caps.c_str(), menuZH.c_str(), titleZH.c_str());
  }
  return 0;
}
