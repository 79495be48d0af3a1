#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "i18n/translation_helper.h"
#include "overlay/overlay_layout.h"
#include "overlay/overlay_view.h"
#include "support/fake_text_measurer.h"

namespace tavrine {
namespace {

GroupedShortcuts emptyGroups(const std::vector<std::string>& names) {
  GroupedShortcuts groups;
  for (const std::string& name : names)
    groups[name];
  return groups;
}

std::vector<std::string> keyOrder(const OverlayView& view) {
  std::vector<std::string> keys;
  for (const OverlayView::Group* group : view.sortedGroups())
    keys.push_back(group->first);
  return keys;
}

// Every text a render shows, header first, then the whole scroll content in painting order.
std::vector<std::string> renderedTexts(const std::shared_ptr<const OverlayView>& view) {
  const doubles::FakeTextMeasurer measurer;
  const OverlayLayout layout(view, measurer, {1200, 800}, nullptr);
  std::vector<Primitive> all = layout.fixedPrimitives();
  const std::vector<Primitive> content =
      layout.primitivesIn({{0, 0}, {1200, layout.contentHeight()}});
  all.insert(all.end(), content.begin(), content.end());
  std::vector<std::string> texts;
  for (const Primitive& p : all) {
    if (const auto* text = std::get_if<TextPrimitive>(&p)) texts.push_back(text->text);
  }
  return texts;
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(OverlayViewTest, SortsGroupsByUntranslatedNamesInScalarOrder) {
  TranslationHelper t;
  const std::vector<std::string> menus = {"Edit", "File", "Help", "View", "Window"};
  for (const auto& harvested :
       {std::vector<std::string>{"File", "Edit", "View", "Window", "Help"},
        std::vector<std::string>{"Window", "View", "Help", "File", "Edit"}}) {
    EXPECT_EQ(keyOrder(OverlayView("App", emptyGroups(harvested), t)), menus);
  }

  // Upper case before lower case, CJK after ASCII, and a decomposed "É" sorts as U+00C9 would.
  EXPECT_EQ(
      keyOrder(OverlayView("App", emptyGroups({"文件", "edit", "E\u0301dition", "Window"}), t)),
      (std::vector<std::string>{"Window", "edit", "E\u0301dition", "文件"}));

  // Chinese headings keep the places of their untranslated names.
  t.setIsZH(true);
  const OverlayView zh("App", emptyGroups({"Window", "File", "Edit"}), t);
  std::vector<std::string> headings;
  for (const OverlayView::Group* group : zh.sortedGroups())
    headings.push_back(zh.appHeading(group->first));
  EXPECT_EQ(headings, (std::vector<std::string>{"编辑", "文件", "窗口"}));
}

TEST(OverlayViewTest, ColumnsFollowTheRecordCountOverAllGroups) {
  const std::vector<std::pair<std::size_t, int>> cases = {
      {0, 1}, {1, 1}, {8, 1}, {9, 2}, {16, 2}, {17, 3}, {24, 3}, {25, 4}, {40, 4}, {100000, 4}};
  for (const auto& [records, columns] : cases) {
    EXPECT_EQ(OverlayView::columnCount(records), columns) << records;
  }

  TranslationHelper t;
  GroupedShortcuts groups = emptyGroups({"Empty"});
  for (int i = 0; i < 5; ++i)
    groups["Edit"].emplace_back("Edit", "Copy", "⌘C");
  for (int i = 0; i < 4; ++i)
    groups["File"].emplace_back("File", "Open", "⌘O");
  EXPECT_EQ(OverlayView("App", std::move(groups), t).appGridColumns(), 2);
}

TEST(OverlayViewTest, LanguageSwitchFlipsEveryTextAndBack) {
  TranslationHelper t;
  GroupedShortcuts groups;
  groups["Edit"] = {{"Edit", "Copy", "⌘C"}, {"Edit", "Paste", "⌘V"}};
  groups["View"] = {{"View", "Enter Full Screen", "⌃⌘F"}};
  groups["straße"];  // upper-cased in full
  const auto view = std::make_shared<OverlayView>("Notes", std::move(groups), t);

  const std::vector<std::string> english = renderedTexts(view);
  for (const char* text :
       {"Notes", "Keyboard Shortcuts", "EN", "System Shortcuts", "EDIT", "VIEW", "STRASSE", "Copy",
        "Paste", "GENERAL", "WINDOW", "SYSTEM", "TEXT", "Select All"}) {
    EXPECT_TRUE(contains(english, text)) << text;
  }

  const auto& items = OverlayView::languageItems();
  ASSERT_EQ(items[0].title, "English");
  ASSERT_EQ(items[1].title, "中文");
  view->choose(items[1]);
  const std::vector<std::string> chinese = renderedTexts(view);
  for (const char* text : {"Notes", "快捷键", "中文", "系统快捷键", "编辑", "显示", "拷贝", "粘贴",
                           "通用", "窗口", "系统", "文本", "全选"}) {
    EXPECT_TRUE(contains(chinese, text)) << text;
  }
  for (const char* text :
       {"Keyboard Shortcuts", "EN", "System Shortcuts", "EDIT", "Copy", "GENERAL", "Select All"}) {
    EXPECT_FALSE(contains(chinese, text)) << text;
  }
  // Shortcuts are never translated.
  EXPECT_TRUE(contains(chinese, "⌘"));
  EXPECT_TRUE(contains(chinese, "Esc"));

  view->choose(items[0]);
  EXPECT_EQ(renderedTexts(view), english);
}

TEST(OverlayViewTest, SubscriptionHearsEveryAssignmentBeforeItLands) {
  TranslationHelper t;
  OverlayView view("App", {}, t);
  std::vector<bool> seen;
  OverlayView::Subscription subscription =
      view.subscribeWillChange([&] { seen.push_back(t.isZH()); });

  view.choose(OverlayView::languageItems()[1]);
  view.choose(OverlayView::languageItems()[1]);  // the current language, assigned again
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
  EXPECT_TRUE(t.isZH());

  // A moved subscription stays live until its last owner lets go.
  OverlayView::Subscription moved = std::move(subscription);
  subscription = OverlayView::Subscription();
  view.choose(OverlayView::languageItems()[0]);
  EXPECT_EQ(seen.size(), 3u);
  moved.reset();
  view.choose(OverlayView::languageItems()[1]);
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_TRUE(t.isZH());
}

}  // namespace
}  // namespace tavrine
