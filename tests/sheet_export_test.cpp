// SPDX-License-Identifier: MIT
#include "export/sheet_export.h"

#include <gtest/gtest.h>

#include <string>

#include "overlay/grouped_shortcuts.h"
#include "support/golden_cases.h"

namespace tavrine {
namespace {

// tests/golden/sheet.md, in English then Chinese: the rows shown, Markdown's own characters
// escaped, the system section after the application's.
TEST(SheetTest, MarkdownHoldsWhatIsShownInTheLanguageShown) {
  TranslationHelper t;
  using K = KeyChord;
  std::vector<ShortcutEntry> items = {
      ShortcutItem("File", "Save", K::make(K::kPrimary, "S")),
      ShortcutItem("File", "Save As…", K::make(K::kShift | K::kPrimary, "S")),
      ShortcutItem("Edit", "A|B *c* <d>", K::make(K::kPrimary, "+"))};
  items[1].chords.push_back(K::make(K::kAlt | K::kPrimary, "S"));  // a row with two shortcuts
  const std::vector<ShortcutItem> system = {
      {"General", "Undo", K::make(K::kPrimary, "Z"), {"system", "通用", "撤销"}}};
  const OverlayView view("Ed_itor", groupByMenu(items), t, {KeyCapStyle::words}, system);
  const std::string en = exported::toMarkdown(exported::documentOf(view));
  t.setIsZH(true);
  doubles::expectGolden("sheet.md", en + exported::toMarkdown(exported::documentOf(view)));

  // A narrowed view's sheet holds only its rows; glyph caps are written together.
  const OverlayView glyphs("Editor", groupByMenu({items[1]}), t);
  const exported::Document narrowed =
      exported::documentOf(glyphs.narrowed(glyphs.groupedShortcuts(), {}));
  ASSERT_EQ(narrowed.application.size(), 1u);
  EXPECT_TRUE(narrowed.system.empty());
  EXPECT_EQ(exported::joinedCaps(narrowed.application[0].rows[0], KeyCapStyle::glyphs),
            "⇧⌘S / ⌥⌘S");
}

// The offered name stays one file in the folder offered, whatever the application calls itself.
TEST(SheetTest, TheOfferedPdfNameIsOneFileInTheFolder) {
  EXPECT_EQ(exported::pdfFileName("编辑器", true), "编辑器 快捷键.pdf");
  for (const auto& [app, name] : std::initializer_list<std::pair<std::string, std::string>>{
           {"../../.config/autostart/x", "-..-.config-autostart-x shortcuts.pdf"},
           {".hidden\n\x7f", "hidden-- shortcuts.pdf"},
           {"..", "shortcuts.pdf"},
           {std::string(300, 'e'), std::string(200, 'e') + " shortcuts.pdf"}})
    EXPECT_EQ(exported::pdfFileName(app, false), name) << app;
}

}  // namespace
}  // namespace tavrine
