// SPDX-License-Identifier: MIT
#include "export/sheet_export.h"

#include <gtest/gtest.h>

#include <string>

#include "overlay/grouped_shortcuts.h"

namespace tavrine {
namespace {

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
  const std::string md = exported::toMarkdown(exported::documentOf(view));
  EXPECT_EQ(md.substr(0, md.find("\n## ") + 1),
            "# Ed\\_itor: Keyboard Shortcuts\n\n"
            "### EDIT\n\n| | |\n|---|---|\n| A\\|B \\*c\\* \\<d\\> | Ctrl++ |\n\n"
            "### FILE\n\n| | |\n|---|---|\n| Save | Ctrl+S |\n| Save As… | Ctrl+Shift+S / "
            "Ctrl+Alt+S |\n\n");
  EXPECT_NE(md.find("## System Shortcuts\n\n### GENERAL\n\n| | |\n|---|---|\n| Undo | Ctrl+Z |"),
            std::string::npos);

  t.setIsZH(true);
  const std::string zh = exported::toMarkdown(exported::documentOf(view));
  EXPECT_TRUE(zh.starts_with("# Ed\\_itor: 快捷键\n") && zh.find("| 保存 | Ctrl+S |") != zh.npos)
      << zh;
  EXPECT_NE(zh.find("## 系统快捷键\n\n### 通用\n\n| | |\n|---|---|\n| 撤销 | Ctrl+Z |"),
            std::string::npos);

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
