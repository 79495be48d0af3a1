// SPDX-License-Identifier: MIT
#include "platform/linux/key_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "harvest/accessibility_helper.h"

namespace tavrine::atspi {
namespace {

// A binding as AT-SPI reports it and the shortcut the overlay then shows; "-" for none.
using Cases = std::vector<std::pair<std::string, std::string>>;

void expectShown(const Cases& cases) {
  for (const auto& [binding, shown] : cases) {
    const std::optional<KeyEquivalent> key = parseKeyBinding(binding);
    EXPECT_EQ(key ? AccessibilityHelper::formatShortcut(key->modifiers, key->commandChar) : "-",
              shown)
        << binding;
  }
}

// GTK's "mnemonic;path;accelerator", the accelerator read as gtk_accelerator_parse reads it.
TEST(KeyBindingTest, GtkAcceleratorsShowAsGtkReadsThem) {
  expectShown({{"n;<Alt>f:n;<Primary>n", "⌘N"},
               {"d;<Alt>e:d;Delete", "⌦"},
               {"n;<Alt>f:n;", "-"},
               {";;", "-"},
               {"a;b;c;<Primary>q", "-"},
               {";;<Primary><Shift>s", "⇧⌘S"},
               {";;<Primary>S", "⌘S"},
               {";;<Alt>Up", "⌥↑"},
               {";;<Control>KP_Add", "⌘+"},
               {";;<CONTROL>a", "⌘A"},
               {";;<Mod4>l", "⌃L"},
               {";;<Mod1>F4", "⌥F4"},
               {";;<Meta>x", "⌥X"},
               {";;<Shft><Alt><Super><Primary>k", "⌃⌥⇧⌘K"},
               {";;<Release>z", "Z"},
               {";;<Mod2>z", "Z"},
               {";;<Primary>ISO_Left_Tab", "⇧⌘⇥"},
               {";;<Primary>Tab", "⌘⇥"},
               {";;<Primary>Page_Up", "⌘⇞"},
               {";;<Primary>Next", "⌘⇟"},
               {";;<Primary>KP_Up", "⌘↑"},
               {";;<Primary>KP_Enter", "⌘↩"},
               {";;Escape", "Esc"},
               {";;<Primary>BackSpace", "⌘⌫"},
               {";;<Primary>space", "⌘Space"},
               {";;<Primary>End", "⌘↘"},
               {";;F35", "F35"},
               {";;<Primary>Eacute", "⌘É"}});
  // Modifiers without a key, modifiers that cannot be shown (AltGr is Mod5), keys without a
  // character, and what is no keysym name.
  expectShown({{";;<Super>", "-"},
               {";;<Primary", "-"},
               {";;<Primary>>", "-"},
               {";;<Primary>+", "-"},
               {";;<Mod5>a", "-"},
               {";;<Primary>NoSuchKey", "-"},
               {";;<Primary>Control_L", "-"},
               {";;<Primary>a b", "-"}});
  // A lone accelerator: keysym names hold no '+'.
  expectShown({{"<Primary>q", "⌘Q"}, {"Page_Up", "⇞"}, {"KP_Add", "+"}});
}

// Qt's shortcut text. A bare Alt+key is an item's mnemonic and a chord is no one key: none.
TEST(KeyBindingTest, QtShortcutTextsShowAsQtWritesThem) {
  expectShown({{"Ctrl+N", "⌘N"},
               {"ctrl+shift+s", "⇧⌘S"},
               {"Ctrl++", "⌘+"},
               {"Ctrl+Num++", "⌘+"},
               {"+", "+"},
               {"Ctrl+,", "⌘,"},
               {"Ctrl+<", "⌘<"},
               {"Ctrl+É", "⌘É"},
               {"Meta+Tab", "⌃⇥"},
               {"Ctrl+Backtab", "⇧⌘⇥"},
               {"F11", "F11"},
               {"Del", "⌦"},
               {"PgUp", "⇞"},
               {"Ctrl+PgDown", "⌘⇟"},
               {"Backspace", "⌫"},
               {"Esc", "Esc"},
               {"Ctrl+Enter", "⌘↩"},
               {"Ctrl+Space", "⌘Space"},
               {"Ctrl+Alt+Left", "⌥⌘←"},
               {"Alt+F4", "⌥F4"},
               {"Alt+Shift+F", "⌥⇧F"},
               {"Ctrl+Alt+F", "⌥⌘F"},
               {"Alt+Num+5", "⌥5"},
               {"Alt+F", "-"},
               {"Ctrl+K, Ctrl+C", "-"},
               {"Ctrl+,, Ctrl+K", "-"},
               {"Ctrl+", "-"},
               {"++", "-"},
               {"Foo+N", "-"},
               {"Ctrl+Volume Up", "-"},
               {"Ctrl+F0", "-"},
               {"Ctrl+F36", "-"}});
}

TEST(KeyBindingTest, WhatIsNoBindingGivesNoShortcut) {
  expectShown({{"", "-"},
               {"\x01", "-"},
               {"Ctrl+N\n", "-"},
               {"<Primary>n\x7f", "-"},
               {std::string("Ctrl+\0N", 7), "-"},
               {"Ctrl+\xC3", "-"},
               {"\xFF\xFE", "-"},
               {std::string(kMaxKeyBindingBytes + 1, 'a'), "-"},
               {"<<<<", "-"},
               {";;;", "-"}});
}

}  // namespace
}  // namespace tavrine::atspi
