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
  FixedSource(std::vector<ShortcutItem> rows, Placement placement = Placement::application)
      : rows_(std::move(rows)), placement_(placement) {}
  Placement placement() const override { return placement_; }
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override {
    asked.push_back(app.pid);
    return rows_;
  }
  mutable std::vector<std::int32_t> asked;

 private:
  std::vector<ShortcutItem> rows_;
  Placement placement_;
};

FrontApplication inFront(std::int32_t pid) {
  FrontApplication app;
  app.pid = pid;
  return app;
}

ShortcutItem row(std::string heading, std::string title, KeyChord chord,
                 ShortcutOrigin origin = {"test", {}, {}}) {
  return {std::move(heading), std::move(title), std::move(chord), std::move(origin)};
}

// Heading, title and every chord of each row, as "⌘O / ⇧⌘O".
using Row = std::tuple<std::string, std::string, std::string>;
std::vector<Row> rows(const std::vector<ShortcutEntry>& entries) {
  std::vector<Row> out;
  for (const ShortcutEntry& e : entries) {
    std::string keys;
    for (const KeyChord& chord : e.chords)
      keys.append(keys.empty() ? "" : " / ").append(shortcutText(chord));
    out.emplace_back(e.item.menuPath(), e.item.title(), keys);
  }
  return out;
}

// One row per command and heading, with every key in the order seen; the first source keeps a
// command it lists under two headings, and a later source adds only chords and rows not seen.
TEST(SourcesTest, MergesTheAnswersIntoOneRowPerCommandOfAHeading) {
  using Rows = std::vector<ShortcutItem>;
  const KeyChord copy = KeyChord::make(P, "C"), copyToo = KeyChord::make(S | P, "C"),
                 left = KeyChord::make(0, NamedKey::leftArrow),
                 altLeft = KeyChord::make(KeyChord::kAlt, NamedKey::leftArrow);
  const std::vector<std::tuple<const char*, std::vector<Rows>, std::vector<Row>>> cases = {
      {"the same title, two chords",
       {{row("Go", "Previous", left), row("Go", "Previous", altLeft)}},
       {{"Go", "Previous", "← / ⌥←"}}},
      {"the same chord twice",
       {{row("Edit", "Copy", copy), row("Edit", "Copy", copy)}},
       {{"Edit", "Copy", "⌘C"}}},
      {"two titles",
       {{row("Edit", "Copy", copy), row("Edit", "Copy Path", copy)}},
       {{"Edit", "Copy", "⌘C"}, {"Edit", "Copy Path", "⌘C"}}},
      {"two headings, even with the same chord",
       {{row("Edit", "Copy", copy), row("Tools", "Copy", copy), row("Tools", "Copy", copyToo)}},
       {{"Edit", "Copy", "⌘C"}, {"Tools", "Copy", "⌘C / ⇧⌘C"}}},
      {"titles compared without case, spaces or ellipsis; the first stays where it was",
       {{row("File", "Open…", KeyChord::make(P, "O")), row("File", "Save", KeyChord::make(P, "S")),
         row("File", " OPEN... ", KeyChord::make(S | P, "O"))}},
       {{"File", "Open…", "⌘O / ⇧⌘O"}, {"File", "Save", "⌘S"}}},
      {"headings compared under canonical equivalence",
       {{row("Caf\u00e9", "Copy", copy), row("Cafe\u0301", "Copy", copyToo)}},
       {{"Caf\u00e9", "Copy", "⌘C / ⇧⌘C"}}},
      {"a later source adds a chord, and no chord and title it has already",
       {{row("Go", "Previous", left)},
        {row("Go", "previous", altLeft), row("Go", "Previous", left), row("View", "Previous", left),
         row("View", "Previous", copy)}},
       {{"Go", "Previous", "← / ⌥←"}, {"View", "Previous", "⌘C"}}},
  };
  // The system catalogue is asked too and stays apart, never merged with the application's rows.
  const auto system = std::make_shared<FixedSource>(Rows{row("General", "Copy", copy)},
                                                    ShortcutSource::Placement::system);
  for (const auto& [name, answers, expected] : cases) {
    std::vector<ShortcutSourceRef> sources = {system, nullptr};
    for (const Rows& answer : answers)
      sources.push_back(std::make_shared<FixedSource>(answer));
    const MergedShortcuts merged = mergeShortcuts(sources, inFront(42));
    EXPECT_EQ(rows(merged.application), expected) << name;
    EXPECT_EQ(merged.system.size(), 1u) << name;
  }
  EXPECT_EQ(system->asked, std::vector<std::int32_t>(cases.size(), 42));
}

TEST(SourcesTest, RowsKeepTheirSourceAndTheApplicationsOwnChinese) {
  const auto menuBar =
      std::make_shared<FixedSource>(std::vector{row("File", "Open", KeyChord::make(P, "O"))});
  const auto sheet = std::make_shared<FixedSource>(
      std::vector{row("File", "Save", KeyChord::make(P, "S"), {"sheet", "文件", "保存"}),
                  row("Zoom", "Zoom In", KeyChord::make(P, "+"), {"sheet", "缩放", "放大"}),
                  row("File", "Open", KeyChord::make(S | P, "O"), {"sheet", "文件", "打开"})});
  FrontApplication app = inFront(1);
  app.isZH = true;
  const MergedShortcuts zh = mergeShortcuts({menuBar, sheet}, app);
  // "File" stays as the menu bar shows it, so that its rows stay in one group; a command is one
  // row whichever language each source wrote it in.
  EXPECT_EQ(rows(zh.application),
            (std::vector<Row>{
                {"File", "Open", "⌘O / ⇧⌘O"}, {"File", "保存", "⌘S"}, {"缩放", "放大", "⌘+"}}));
  std::vector<std::string> sources;
  for (const ShortcutEntry& entry : zh.application)
    sources.push_back(entry.item.source());
  EXPECT_EQ(sources, (std::vector<std::string>{"test", "sheet", "sheet"}));
  const MergedShortcuts en = mergeShortcuts({menuBar, sheet}, inFront(1));
  EXPECT_EQ(std::get<1>(rows(en.application)[2]), "Zoom In");
}

}  // namespace
}  // namespace tavrine
