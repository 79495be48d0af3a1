// SPDX-License-Identifier: MIT
#include "backends/linux/atspi/menu_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "support/golden_cases.h"
#include "text/unicode.h"

namespace tavrine::atspi {
namespace {

using Record = std::tuple<std::string, std::string, std::string>;  // menu, title, shortcut

// Keeps the binding text whole so that records show which binding went to which item: without
// modifiers, the shortcut text is the binding upper-cased.
std::optional<KeyChord> bindingAsKey(std::string_view binding) {
  return KeyChord::make(0, text::keyCapOf(binding));
}

std::vector<Record> records(const MenuReplies& replies, KeyBindingParser parse = bindingAsKey,
                            SnapshotLimits limits = {}) {
  const ax::ElementRef app = buildMenuSnapshot(replies, parse, limits);
  std::vector<Record> out;
  for (const ShortcutItem& item : AccessibilityHelper::getShortcuts(*app))
    out.emplace_back(item.menuPath(), item.title(), item.shortcut());
  return out;
}

MenuReplies fixture(const std::string& name) {
  std::ifstream file(std::string(TAVRINE_ATSPI_FIXTURES) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  RepliesParse parsed = parseReplies(text.str());
  EXPECT_TRUE(parsed.replies) << name << ": " << parsed.error;
  return parsed.replies.value_or(MenuReplies{});
}

TEST(AtspiRepliesTest, TextFormRoundTrips) {
  MenuReplies r;
  r.menuBar = "/bar";
  r.matches = {"/a", "/b"};
  r.cache = {{"/a", "/bar", kRoleMenu, "Tab\there, line\nbreak, back\\slash, return\r"}};
  r.children = {{"/bar", {"/a", "/b"}}, {"/a", {}}};
  r.names = {{"/a", ""}, {"/b", "Ünïcode …"}};
  r.roles = {{"/a", 4294967295u}};
  r.keyBindings = {{"/b", "n;<Alt>f:n;<Primary>n"}};
  const RepliesParse parsed = parseReplies(formatReplies(r));
  ASSERT_TRUE(parsed.replies) << parsed.error;
  EXPECT_EQ(*parsed.replies, r);
}

// What this reader collected and what a pyatspi walk of the same menus answered give the same
// records: order from GetMatches, names, roles and parents from GTK's cache, popup menus folded.
TEST(MenuSnapshotTest, RecordedReadsGiveTheRecordsOfAPyatspiWalk) {
  for (const char* app : {"menu_app", "mousepad", "geany"}) {
    SCOPED_TRACE(app);
    const std::vector<Record> ours = records(fixture(std::string(app) + ".replies"));
    const std::vector<Record> theirs = records(fixture(std::string(app) + ".pyatspi.replies"));
    EXPECT_GT(ours.size(), 10u);
    EXPECT_EQ(ours, theirs);
  }
  // GTK's names lose their spaces, and submenus follow their item.
  const std::vector<Record> got = records(fixture("mousepad.replies"));
  const auto at = std::find(got.begin(), got.end(), Record{"Edit", "Paste Special", "S;<ALT>E:S;"});
  ASSERT_GE(got.end() - at, 3);
  EXPECT_EQ(at[1], (Record{"Edit", "Paste from History", "H;<ALT>E:S:H;"}));
  EXPECT_EQ(at[2], (Record{"Edit", "Paste as Column", "C;<ALT>E:S:C;"}));
}

struct MenuCase {
  std::string name;
  std::vector<Record> expected;
  MenuReplies replies;
};

// The menus of fixtures/menu_cases.replies, "qt shape" and "gtk shape, ..." first.
std::vector<MenuCase> menuCases() {
  std::vector<MenuCase> out;
  std::vector<std::string> texts;
  for (const auto& row : doubles::caseRows(TAVRINE_ATSPI_FIXTURES "/menu_cases.replies")) {
    if (row[0] == "case") {
      out.push_back({row[1], {}, {}});
      texts.emplace_back();
    } else if (row[0] == "expect") {
      out.back().expected.emplace_back(row[1], row[2], row[3]);
    } else {
      for (const std::string& field : row)
        texts.back() += field + (&field == &row.back() ? "\n" : "\t");
    }
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    RepliesParse parsed = parseReplies(texts[i]);
    EXPECT_TRUE(parsed.replies) << out[i].name << ": " << parsed.error;
    out[i].replies = parsed.replies.value_or(MenuReplies{});
  }
  return out;
}

// Each record's menu item presses through the snapshot's press with its own object path; without
// a press, or once the snapshot is gone, items answer that they cannot.
TEST(MenuSnapshotTest, ItemsPressWithTheirObjectPath) {
  const MenuReplies qtShaped = menuCases().at(0).replies;
  std::vector<std::string> pressed;
  ItemPress press = [&pressed](const std::string& path) {
    pressed.push_back(path);
    return ax::Error::success;
  };
  ax::ElementRef app = buildMenuSnapshot(qtShaped, bindingAsKey, {}, press);
  std::vector<ax::ElementRef> elements;
  const std::vector<ShortcutItem> items = AccessibilityHelper::getShortcuts(*app, elements);
  ASSERT_EQ(elements.size(), items.size());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(elements[1]->performAction(ax::Action::press), ax::Error::success);
  EXPECT_EQ(elements[0]->performAction(ax::Action::press), ax::Error::success);
  EXPECT_EQ(pressed, (std::vector<std::string>{"/b", "/a"}));

  app = buildMenuSnapshot(qtShaped, bindingAsKey);
  AccessibilityHelper::getShortcuts(*app, elements);
  ASSERT_FALSE(elements.empty());
  EXPECT_EQ(elements[0]->performAction(ax::Action::press), ax::Error::notImplemented);
}

// Answers that are missing, contradictory or looping narrow the menu; none hangs or crashes.
TEST(MenuSnapshotTest, HostileAnswers) {
  for (const MenuCase& c : menuCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(records(c.replies), c.expected);
  }
}

TEST(MenuSnapshotTest, HugeAndDeepMenusAreBounded) {
  MenuReplies deep;
  deep.menuBar = "/0";
  for (int i = 0; i < 5000; ++i) {
    const std::string next = "/" + std::to_string(i + 1);
    deep.children["/" + std::to_string(i)] = {next};
    deep.names[next] = "Item";
    deep.roles[next] = kRoleMenuItem;
    deep.keyBindings[next] = "k";
  }
  // The menu-bar item and 19 levels of submenus below it.
  EXPECT_EQ(records(deep, bindingAsKey, {.maxElements = 20'000, .maxDepth = 20}).size(), 20u);

  MenuReplies wide = menuCases().at(1).replies;
  wide.matches = {"/file"};
  for (int i = 0; i < 50'000; ++i) {
    const std::string path = "/i" + std::to_string(i);
    wide.matches.push_back(path);
    wide.cache.push_back({path, "/file", kRoleMenuItem, "Item"});
    wide.keyBindings[path] = "k";
  }
  // Application, menu bar, "File" and its menu, then items up to the bound.
  EXPECT_EQ(records(wide, bindingAsKey, {.maxElements = 1'000, .maxDepth = 32}).size(), 996u);
}

}  // namespace
}  // namespace tavrine::atspi
