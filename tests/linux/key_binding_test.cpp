// SPDX-License-Identifier: MIT
#include "platform/linux/key_binding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "harvest/accessibility_helper.h"
#include "overlay/shortcut_row.h"

namespace tavrine::atspi {
namespace {

// Masks: Shift 1, Alt 2, Super 4, no Ctrl 8.
constexpr std::int64_t kCtrl = 0;
constexpr std::int64_t kNone = 8;

struct Case {
  std::string binding;
  std::optional<KeyEquivalent> expected;
};

using Parser = std::optional<KeyEquivalent> (*)(std::string_view);

void expectAll(Parser parse, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const std::optional<KeyEquivalent> got = parse(c.binding);
    EXPECT_EQ(got.has_value(), c.expected.has_value()) << c.binding;
    if (got && c.expected) {
      EXPECT_EQ(got->modifiers, c.expected->modifiers) << c.binding;
      EXPECT_EQ(got->commandChar, c.expected->commandChar) << c.binding;
    }
  }
}

// Input that is no binding at all, for every parser.
const std::vector<Case> kJunk = {{"", std::nullopt},
                                 {"\x01", std::nullopt},
                                 {"Ctrl+N\n", std::nullopt},
                                 {"<Primary>n\x7f", std::nullopt},
                                 {std::string("Ctrl+\0N", 7), std::nullopt},
                                 {"Ctrl+\xC3", std::nullopt},
                                 {"\xFF\xFE", std::nullopt},
                                 {std::string(kMaxKeyBindingBytes + 1, 'a'), std::nullopt},
                                 {"<<<<", std::nullopt},
                                 {">>>", std::nullopt},
                                 {";;;", std::nullopt}};

TEST(KeyBindingTest, GtkKeyBindingsGiveTheirAcceleratorOnly) {
  expectAll(parseGtkKeyBinding, {{"n;<Alt>f:n;<Primary>n", KeyEquivalent{kCtrl, "n"}},
                                 {"d;<Alt>e:d;Delete", KeyEquivalent{kNone, "\uF728"}},
                                 {"f;<Alt>v:f;F11", KeyEquivalent{kNone, "\uF70E"}},
                                 {";;<Primary>q", KeyEquivalent{kCtrl, "q"}},
                                 {"n;<Alt>f:n;", std::nullopt},  // a mnemonic, no shortcut
                                 {";;", std::nullopt},
                                 {"<Primary>q", std::nullopt},  // not this form
                                 {"a;<Primary>q", std::nullopt},
                                 {"a;b;c;<Primary>q", std::nullopt}});
  expectAll(parseGtkKeyBinding, kJunk);
}

TEST(KeyBindingTest, GtkAcceleratorsReadAsGtkReadsThem) {
  expectAll(parseGtkAccelerator,
            {{"<Primary><Shift>s", KeyEquivalent{1, "s"}},
             {"<Primary>S", KeyEquivalent{kCtrl, "s"}},  // case adds no Shift
             {"<Primary><Shift>S", KeyEquivalent{1, "s"}},
             {"<Alt>Up", KeyEquivalent{2 | kNone, "\uF700"}},
             {"<Primary>plus", KeyEquivalent{kCtrl, "+"}},
             {"<Control>KP_Add", KeyEquivalent{kCtrl, "+"}},
             {"<Primary>minus", KeyEquivalent{kCtrl, "-"}},
             {"<ctrl>a", KeyEquivalent{kCtrl, "a"}},
             {"<CONTROL>a", KeyEquivalent{kCtrl, "a"}},
             {"<Ctl>a", KeyEquivalent{kCtrl, "a"}},
             {"<Super>e", KeyEquivalent{4 | kNone, "e"}},
             {"<Mod4>l", KeyEquivalent{4 | kNone, "l"}},
             {"<Hyper>h", KeyEquivalent{4 | kNone, "h"}},
             {"<Mod1>F4", KeyEquivalent{2 | kNone, "\uF707"}},
             {"<Meta>x", KeyEquivalent{2 | kNone, "x"}},
             {"<Shft><Alt><Super><Primary>k", KeyEquivalent{7, "k"}},
             {"<Release>z", KeyEquivalent{kNone, "z"}},
             {"<Mod2>z", KeyEquivalent{kNone, "z"}},
             {"<Primary>ISO_Left_Tab", KeyEquivalent{1, "\t"}},  // Shift+Tab, said or not
             {"<Primary><Shift>ISO_Left_Tab", KeyEquivalent{1, "\t"}},
             {"<Primary>Tab", KeyEquivalent{kCtrl, "\t"}},
             {"<Primary>Page_Up", KeyEquivalent{kCtrl, "\uF72C"}},
             {"<Primary>Next", KeyEquivalent{kCtrl, "\uF72D"}},
             {"<Primary>KP_Up", KeyEquivalent{kCtrl, "\uF700"}},
             {"<Primary>KP_Enter", KeyEquivalent{kCtrl, "\r"}},
             {"Return", KeyEquivalent{kNone, "\r"}},
             {"Escape", KeyEquivalent{kNone, "\x1b"}},
             {"<Primary>BackSpace", KeyEquivalent{kCtrl, "\x08"}},
             {"<Primary>space", KeyEquivalent{kCtrl, " "}},
             {"<Primary>Home", KeyEquivalent{kCtrl, "\uF729"}},
             {"<Primary>End", KeyEquivalent{kCtrl, "\uF72B"}},
             {"Insert", KeyEquivalent{kNone, "\uF727"}},
             {"F1", KeyEquivalent{kNone, "\uF704"}},
             {"F35", KeyEquivalent{kNone, "\uF726"}},
             {"Print", KeyEquivalent{kNone, "\uF72E"}},
             {"<Shift>Menu", KeyEquivalent{1 | kNone, "\uF735"}},
             {"Help", KeyEquivalent{kNone, "\uF746"}},
             {"<Primary>Eacute", KeyEquivalent{kCtrl, "é"}},
             {"<Primary>Cyrillic_ZHE", KeyEquivalent{kCtrl, "ж"}},
             {"<Super>", std::nullopt},  // modifiers without a key
             {"<Primary>", std::nullopt},
             {"<Primary", std::nullopt},
             {"<Primary>>", std::nullopt},
             {"<Primary>+", std::nullopt},  // GTK names it "plus"
             {"<Foo>a", std::nullopt},
             {"<Mod3>a", std::nullopt},
             {"<Mod5>a", std::nullopt},  // AltGr has no cap
             {"<Primary>NoSuchKey", std::nullopt},
             {"<Primary>Control_L", std::nullopt},
             {"<Primary>dead_acute", std::nullopt},
             {"<Primary>a b", std::nullopt}});
  expectAll(parseGtkAccelerator, kJunk);
}

TEST(KeyBindingTest, QtShortcutTextsReadAsQtWritesThem) {
  expectAll(parseQtKeyBinding, {{"Ctrl+N", KeyEquivalent{kCtrl, "n"}},
                                {"Ctrl+Shift+S", KeyEquivalent{1, "s"}},
                                {"ctrl+shift+s", KeyEquivalent{1, "s"}},
                                {"Ctrl++", KeyEquivalent{kCtrl, "+"}},
                                {"Ctrl+Num++", KeyEquivalent{kCtrl, "+"}},
                                {"+", KeyEquivalent{kNone, "+"}},
                                {"Ctrl+,", KeyEquivalent{kCtrl, ","}},
                                {"Ctrl+;", KeyEquivalent{kCtrl, ";"}},
                                {"Ctrl+É", KeyEquivalent{kCtrl, "é"}},
                                {"Meta+Tab", KeyEquivalent{4 | kNone, "\t"}},
                                {"Meta+E", KeyEquivalent{4 | kNone, "e"}},
                                {"Ctrl+Backtab", KeyEquivalent{1, "\t"}},
                                {"F11", KeyEquivalent{kNone, "\uF70E"}},
                                {"Del", KeyEquivalent{kNone, "\uF728"}},
                                {"Shift+Delete", KeyEquivalent{1 | kNone, "\uF728"}},
                                {"PgUp", KeyEquivalent{kNone, "\uF72C"}},
                                {"Ctrl+PgDown", KeyEquivalent{kCtrl, "\uF72D"}},
                                {"Backspace", KeyEquivalent{kNone, "\x08"}},
                                {"Esc", KeyEquivalent{kNone, "\x1b"}},
                                {"Return", KeyEquivalent{kNone, "\r"}},
                                {"Ctrl+Enter", KeyEquivalent{kCtrl, "\r"}},
                                {"Ctrl+Space", KeyEquivalent{kCtrl, " "}},
                                {"Home", KeyEquivalent{kNone, "\uF729"}},
                                {"Ins", KeyEquivalent{kNone, "\uF727"}},
                                {"Print", KeyEquivalent{kNone, "\uF72E"}},
                                {"Ctrl+Alt+Left", KeyEquivalent{2, "\uF702"}},
                                {"Alt+F4", KeyEquivalent{2 | kNone, "\uF707"}},
                                {"Alt+Space", KeyEquivalent{2 | kNone, " "}},
                                {"Alt+Shift+F", KeyEquivalent{3 | kNone, "f"}},
                                {"Ctrl+Alt+F", KeyEquivalent{2, "f"}},
                                {"Alt+Num+5", KeyEquivalent{2 | kNone, "5"}},
                                {"Alt+F", std::nullopt},  // the mnemonic of an item without one
                                {"Alt+1", std::nullopt},
                                {"Ctrl+K, Ctrl+C", std::nullopt},  // chords are never cut short
                                {"Ctrl+X, Ctrl+S", std::nullopt},
                                {"Ctrl+,, Ctrl+K", std::nullopt},
                                {"Ctrl+", std::nullopt},
                                {"++", std::nullopt},
                                {"Foo+N", std::nullopt},
                                {"Ctrl+Volume Up", std::nullopt},
                                {"Ctrl+F0", std::nullopt},
                                {"Ctrl+F36", std::nullopt},
                                {"CapsLock", std::nullopt}});
  expectAll(parseQtKeyBinding, kJunk);
}

TEST(KeyBindingTest, EitherFormIsToldApartByItsShape) {
  expectAll(parseKeyBinding, {{"n;<Alt>f:n;<Primary>n", KeyEquivalent{kCtrl, "n"}},
                              {"<Primary>q", KeyEquivalent{kCtrl, "q"}},
                              {"Ctrl+Q", KeyEquivalent{kCtrl, "q"}},
                              {"Ctrl+;", KeyEquivalent{kCtrl, ";"}},
                              {"Ctrl+<", KeyEquivalent{kCtrl, "<"}},
                              {"Delete", KeyEquivalent{kNone, "\uF728"}},
                              {"Page_Up", KeyEquivalent{kNone, "\uF72C"}},  // a keysym name
                              {"KP_Add", KeyEquivalent{kNone, "+"}},
                              {"Alt+F", std::nullopt},
                              {"Ctrl+K, Ctrl+C", std::nullopt},
                              {"n;<Alt>f:n;", std::nullopt}});
  expectAll(parseKeyBinding, kJunk);
}

TEST(KeyBindingTest, AcceleratorsShowAsTheSameCapsOnEveryPlatform) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {";;<Primary><Shift>s", "⇧⌘S"}, {"<Alt>F4", "⌥F4"}, {"<Primary>Delete", "⌘⌦"},
      {"Ctrl+Backspace", "⌘⌫"},       {"Meta+Up", "⌃↑"},  {"Ctrl+Shift+Tab", "⇧⌘⇥"},
      {"Ctrl+Return", "⌘↩"},          {"Escape", "Esc"},  {"<Primary>Page_Down", "⌘⇟"},
      {"Ctrl+Space", "⌘Space"}};
  for (const auto& [binding, shortcut] : cases) {
    const std::optional<KeyEquivalent> key = parseKeyBinding(binding);
    ASSERT_TRUE(key) << binding;
    EXPECT_EQ(AccessibilityHelper::formatShortcut(key->modifiers, key->commandChar), shortcut)
        << binding;
  }
  const std::optional<KeyEquivalent> save = parseKeyBinding("Ctrl+Shift+S");
  EXPECT_EQ(ShortcutRow::keyGroups(
                AccessibilityHelper::formatShortcut(save->modifiers, save->commandChar),
                KeyCapStyle::words),
            (std::vector<std::string>{"Ctrl", "Shift", "S"}));
}

}  // namespace
}  // namespace tavrine::atspi
