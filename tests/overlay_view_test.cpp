// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "keys/key_binding.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_view.h"
#include "sources/system/system_shortcuts.h"
#include "support/fake_platform.h"
#include "support/fake_text_measurer.h"

namespace tavrine {
namespace {

GroupedShortcuts emptyGroups(const std::vector<std::string>& names) {
  GroupedShortcuts groups;
  for (const std::string& name : names)
    groups[name];
  return groups;
}

// The headings in display order.
std::vector<std::string> headings(const OverlayView& view) {
  std::vector<std::string> out;
  for (const OverlayView::Group* group : view.sortedGroups())
    out.push_back(view.appHeading(group->first));
  return out;
}

// Every text one render shows, header first, then the scroll content in painting order.
std::vector<std::string> renderedTexts(const std::shared_ptr<const OverlayView>& view) {
  const doubles::FakeTextMeasurer measurer;
  const OverlayLayout layout(view, measurer, {1200, 800}, nullptr);
  std::vector<Primitive> all = layout.fixedPrimitives();
  for (const Primitive& p : layout.primitivesIn({{0, 0}, {1200, layout.contentHeight()}}))
    all.push_back(p);
  std::vector<std::string> texts;
  for (const Primitive& p : all)
    if (const auto* text = std::get_if<TextPrimitive>(&p)) texts.push_back(text->text);
  return texts;
}

bool contains(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(OverlayViewTest, SortsGroupsByUntranslatedNamesInScalarOrder) {
  TranslationHelper t;
  // Upper case before lower case, CJK after ASCII (文件, shown as its English name), and a
  // decomposed "É" where U+00C9 would be.
  EXPECT_EQ(
      headings(OverlayView("App", emptyGroups({"文件", "edit", "E\u0301dition", "Window"}), t)),
      (std::vector<std::string>{"WINDOW", "EDIT", "E\u0301DITION", "FILE"}));
  // Chinese headings keep the places of their untranslated names.
  t.setIsZH(true);
  EXPECT_EQ(headings(OverlayView("App", emptyGroups({"Window", "File", "Edit"}), t)),
            (std::vector<std::string>{"编辑", "文件", "窗口"}));
}

TEST(OverlayViewTest, ChoosingALanguageFlipsEveryTextAndBack) {
  TranslationHelper t;
  GroupedShortcuts groups;
  groups["straße"] = {
      doubles::record("straße", "Enter Full Screen", "f", 4)};  // upper-cased in full
  const auto view = std::make_shared<OverlayView>("Notes", std::move(groups), t, OverlayStyle{},
                                                  SystemShortcuts::catalogue(Desktop::macOS));
  std::vector<bool> heard;  // before each assignment lands
  OverlayView::Subscription subscription =
      view->subscribeWillChange([&] { heard.push_back(t.isZH()); });
  const std::vector<std::string> english = renderedTexts(view);
  const auto& items = OverlayView::languageItems();  // English, 中文
  view->choose(items[1]);
  view->choose(items[1]);  // the current language, assigned again
  const std::vector<std::string> chinese = renderedTexts(view);
  // The header, the switch and an application row are the accessibility test's.
  const std::pair<const char*, const char*> pairs[] = {{"System Shortcuts", "系统快捷键"},
                                                       {"STRASSE", "STRASSE"},
                                                       {"Enter Full Screen", "进入全屏幕"},
                                                       {"GENERAL", "通用"},
                                                       {"Select All", "全选"},
                                                       {"Notes", "Notes"},
                                                       {"F", "F"},  // a cap
                                                       {"Esc", "Esc"}};
  for (const auto& [en, zh] : pairs) {
    EXPECT_TRUE(contains(english, en) && contains(chinese, zh)) << en;
    if (std::string_view(en) != zh) {
      EXPECT_FALSE(contains(english, zh) || contains(chinese, en)) << en;
    }
  }
  view->choose(items[0]);
  EXPECT_EQ(renderedTexts(view), english);
  EXPECT_EQ(heard, (std::vector<bool>{false, true, true}));

  // A subscription moved on (constructed, then assigned) stays live until its last owner lets
  // go; what it was moved from owns nothing.
  OverlayView::Subscription moved(std::move(subscription)), last;
  last = std::move(moved);
  subscription.reset();
  moved.reset();
  view->choose(items[1]);
  last.reset();
  view->choose(items[0]);
  EXPECT_EQ(heard.size(), 4u);
}

// Only a live desktop binding of a row's one chord takes it, however either side wrote its
// modifiers (the first binding of a chord runs); the catalogue's defaults take nothing; a search
// keeps the marks.
TEST(OverlayViewTest, MarksTheRowsALiveDesktopBindingTakes) {
  const auto chord = [](const char* qt) { return *keys::parseQtKeyBinding(qt); };
  const auto bound = [](const char* gtk, const char* title, const char* source) {
    return ShortcutItem("W", title, *keys::parseGtkAccelerator(gtk), {source, "", ""});
  };
  ShortcutEntry twoKeys(ShortcutItem("E", "Find", chord("Ctrl+Alt+T")));
  twoKeys.chords.push_back(chord("F3"));
  TranslationHelper t;
  const OverlayView view(
      "App", {}, t, {},
      {bound("<Alt><Primary>t", "Terminal", "desktop"), bound("<Super>Up", "Maximise", "desktop"),
       bound("<Primary><Alt>t", "Later", "desktop"), bound("<Primary>q", "Quit", "system")});
  const std::pair<ShortcutEntry, std::string> cases[] = {
      {ShortcutItem("E", "T", chord("Ctrl+Alt+T")), "taken by the desktop: Terminal"},
      {ShortcutItem("E", "U", chord("Meta+Up")), "taken by the desktop: Maximise"},
      {ShortcutItem("E", "Q", chord("Ctrl+Q")), ""},
      {twoKeys, ""}};
  for (const auto& [entry, expected] : cases) {
    EXPECT_EQ(view.appRow(entry).conflict, expected) << entry.item.title();
    EXPECT_EQ(view.narrowed({}, {}).appRow(entry).conflict, expected) << entry.item.title();
  }
}

}  // namespace
}  // namespace tavrine
