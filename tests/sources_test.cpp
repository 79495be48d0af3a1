// SPDX-License-Identifier: MIT
// The source seam: what the delegate makes of several sources' answers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "sources/shortcut_source.h"

namespace tavrine {
namespace {

constexpr unsigned S = KeyChord::kShift, P = KeyChord::kPrimary;

// Answers with fixed rows, and remembers what it was asked about.
class FixedSource final : public ShortcutSource {
 public:
  FixedSource(std::vector<SourcedShortcut> rows, Placement placement = Placement::application)
      : rows_(std::move(rows)), placement_(placement) {}
  Placement placement() const override { return placement_; }
  std::vector<SourcedShortcut> shortcuts(const FrontApplication& app) const override {
    asked.push_back(app.pid);
    return rows_;
  }
  mutable std::vector<std::int32_t> asked;

 private:
  std::vector<SourcedShortcut> rows_;
  Placement placement_;
};

FrontApplication inFront(std::int32_t pid) {
  FrontApplication app;
  app.pid = pid;
  return app;
}

SourcedShortcut row(std::string heading, std::string title, KeyChord chord) {
  return {std::move(heading), std::move(title), std::move(chord), "test", {}, {}};
}

using Row = std::tuple<std::string, std::string, std::string>;
std::vector<Row> rows(const std::vector<ShortcutItem>& items) {
  std::vector<Row> out;
  for (const ShortcutItem& i : items)
    out.emplace_back(i.menuPath(), i.title(), i.shortcut());
  return out;
}

TEST(SourcesTest, TheFirstSourceKeepsEveryRowAndLaterOnesAddOnlyWhatIsNew) {
  const auto menuBar = std::make_shared<FixedSource>(std::vector{
      row("Edit", "Copy", KeyChord::make(P, "C")), row("Edit", "Copy", KeyChord::make(P, "C")),
      row("File", "Open…", KeyChord::make(P, "O"))});
  const auto sheet = std::make_shared<FixedSource>(std::vector{
      row("Editing", " copy ", KeyChord::make(P, "C")),       // the same row, written otherwise
      row("Files", "OPEN...", KeyChord::make(P, "O")),        // and another
      row("Editing", "Copy", KeyChord::make(S | P, "C")),     // the same title, another chord
      row("Editing", "Copy Path", KeyChord::make(P, "C")),    // the same chord, another title
      row("Editing", "Copy Path", KeyChord::make(P, "C"))});  // twice in a later source
  const auto system =
      std::make_shared<FixedSource>(std::vector{row("General", "Copy", KeyChord::make(P, "C"))},
                                    ShortcutSource::Placement::system);

  const MergedShortcuts merged = mergeShortcuts({menuBar, system, nullptr, sheet}, inFront(42));
  EXPECT_EQ(rows(merged.application), (std::vector<Row>{{"Edit", "Copy", "⌘C"},
                                                        {"Edit", "Copy", "⌘C"},
                                                        {"File", "Open…", "⌘O"},
                                                        {"Editing", "Copy", "⇧⌘C"},
                                                        {"Editing", "Copy Path", "⌘C"}}));
  // The system section is apart: never merged with the application's rows.
  ASSERT_EQ(merged.system.size(), 1u);
  EXPECT_EQ(merged.system[0].title, "Copy");
  EXPECT_EQ(menuBar->asked, std::vector<std::int32_t>{42});
  EXPECT_EQ(sheet->asked, std::vector<std::int32_t>{42});
}

TEST(SourcesTest, RowsKeepTheirSourceAndTheApplicationsOwnChinese) {
  const auto menuBar =
      std::make_shared<FixedSource>(std::vector{row("File", "Open", KeyChord::make(P, "O"))});
  SourcedShortcut translated = row("File", "Save", KeyChord::make(P, "S"));
  translated.source = "sheet";
  std::tie(translated.headingZH, translated.titleZH) = std::tie("文件", "保存");
  SourcedShortcut own = row("Zoom", "Zoom In", KeyChord::make(P, "+"));
  std::tie(own.headingZH, own.titleZH) = std::tie("缩放", "放大");
  const auto sheet = std::make_shared<FixedSource>(std::vector{translated, own});
  FrontApplication app = inFront(1);
  app.isZH = true;
  const MergedShortcuts zh = mergeShortcuts({menuBar, sheet}, app);
  // "File" stays as the menu bar shows it, so that its rows stay in one group.
  EXPECT_EQ(
      rows(zh.application),
      (std::vector<Row>{{"File", "Open", "⌘O"}, {"File", "保存", "⌘S"}, {"缩放", "放大", "⌘+"}}));
  EXPECT_EQ(zh.applicationSources, (std::vector<std::string>{"test", "sheet", "test"}));
  const MergedShortcuts en = mergeShortcuts({menuBar, sheet}, inFront(1));
  EXPECT_EQ(std::get<1>(rows(en.application)[2]), "Zoom In");
}

}  // namespace
}  // namespace tavrine
