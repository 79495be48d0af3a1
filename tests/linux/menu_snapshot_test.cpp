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

// A menu bar (bar) with one menu "File" opening popup P: the shape Qt answers with.
MenuReplies qtShaped() {
  MenuReplies r;
  r.menuBar = "/bar";
  r.children = {
      {"/bar", {"/file"}}, {"/file", {"/p"}}, {"/p", {"/a", "/b"}}, {"/a", {}}, {"/b", {}}};
  r.names = {{"/file", "File"}, {"/p", ""}, {"/a", "Alpha"}, {"/b", "Beta"}};
  r.roles = {{"/bar", kRoleMenuBar}, {"/p", kRolePopupMenu}};
  for (const char* item : {"/file", "/a", "/b"})
    r.roles[item] = kRoleMenuItem;
  r.keyBindings = {{"/a", "a"}, {"/b", "b"}};
  return r;
}

// The same menu as GTK gives it: GetMatches order, the cache's parents.
MenuReplies gtkShaped() {
  MenuReplies r;
  r.menuBar = "/bar";
  r.matches = {"/file", "/a", "/b"};
  r.cache = {{"/file", "/bar", kRoleMenu, "File"},
             {"/b", "/file", kRoleMenuItem, "Beta"},
             {"/a", "/file", kRoleMenuItem, "Alpha"}};
  r.keyBindings = {{"/a", "a"}, {"/b", "b"}};
  return r;
}

const std::vector<Record> kAlphaBeta = {{"File", "Alpha", "A"}, {"File", "Beta", "B"}};

// Answers that are missing, contradictory or looping narrow the menu; none hangs or crashes.
// Each record's menu item presses through the snapshot's press with its own object path; without
// a press, or once the snapshot is gone, items answer that they cannot.
TEST(MenuSnapshotTest, ItemsPressWithTheirObjectPath) {
  std::vector<std::string> pressed;
  ItemPress press = [&pressed](const std::string& path) {
    pressed.push_back(path);
    return ax::Error::success;
  };
  ax::ElementRef app = buildMenuSnapshot(qtShaped(), bindingAsKey, {}, press);
  std::vector<ax::ElementRef> elements;
  const std::vector<ShortcutItem> items = AccessibilityHelper::getShortcuts(*app, elements);
  ASSERT_EQ(elements.size(), items.size());
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(elements[1]->performAction(ax::Action::press), ax::Error::success);
  EXPECT_EQ(elements[0]->performAction(ax::Action::press), ax::Error::success);
  EXPECT_EQ(pressed, (std::vector<std::string>{"/b", "/a"}));

  app = buildMenuSnapshot(qtShaped(), bindingAsKey);
  AccessibilityHelper::getShortcuts(*app, elements);
  ASSERT_FALSE(elements.empty());
  EXPECT_EQ(elements[0]->performAction(ax::Action::press), ax::Error::notImplemented);
}

TEST(MenuSnapshotTest, HostileAnswers) {
  struct Case {
    const char* name;
    MenuReplies replies;
    std::vector<Record> expected;
  };
  std::vector<Case> cases;
  cases.push_back({"qt shape", qtShaped(), kAlphaBeta});
  cases.push_back({"gtk shape, order from the matches", gtkShaped(), kAlphaBeta});
  {
    MenuReplies r = qtShaped();
    r.roles.clear();  // untitled with children: a popup menu
    r.children["/sep"] = {};
    r.children["/p"].push_back("/sep");
    r.keyBindings["/sep"] = "s";
    cases.push_back({"roles unread", r, kAlphaBeta});
  }
  {
    MenuReplies r = qtShaped();
    r.children["/a"] = {"/p", "/bar", "/a"};  // an item whose submenu loops back
    r.children["/b"] = {"/a"};
    cases.push_back({"children loop back", r, kAlphaBeta});
  }
  {
    MenuReplies r = gtkShaped();
    r.matches = {"/file", "/a", "/a", "/b", "/x", "/y"};
    r.cache.push_back({"/x", "/y", kRoleMenuItem, "X"});  // parents in a cycle, off the bar
    r.cache.push_back({"/y", "/x", kRoleMenuItem, "Y"});
    r.keyBindings["/x"] = "x";
    r.keyBindings["/y"] = "y";
    cases.push_back({"listed twice, parent cycle", r, kAlphaBeta});
  }
  {
    MenuReplies r = qtShaped();
    r.keyBindings.erase("/a");
    r.children["/a"] = {"/q"};  // no key of its own, a submenu with one
    r.children["/q"] = {"/c"};
    r.names["/c"] = "Gamma";
    r.roles["/q"] = kRolePopupMenu;
    r.keyBindings["/c"] = "c";
    cases.push_back({"missing binding", r, {{"File", "Gamma", "C"}, {"File", "Beta", "B"}}});
  }
  {
    MenuReplies r = gtkShaped();
    r.menuBar.clear();
    cases.push_back({"no menu bar", r, {}});
  }
  for (const Case& c : cases) {
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

  MenuReplies wide = gtkShaped();
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
