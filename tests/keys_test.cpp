// SPDX-License-Identifier: MIT
#include "keys/accelerator_chord.h"
#include "keys/key_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/key_chord.h"

namespace tavrine::keys {
namespace {

// A binding as AT-SPI reports it and the shortcut the overlay then shows; "-" for none.
using Cases = std::vector<std::pair<std::string, std::string>>;

void expectShown(const Cases& cases,
                 std::optional<KeyChord> (*parse)(std::string_view) = parseKeyBinding) {
  for (const auto& [binding, shown] : cases) {
    const std::optional<KeyChord> key = parse(binding);
    EXPECT_EQ(key ? shortcutText(*key) : "-", shown) << binding;
  }
}

// GTK's "mnemonic;path;accelerator": the accelerator alone, read as gtk_accelerator_parse reads
// it (modifier names in any case, the key an X keysym name whose case adds no Shift). Modifiers
// without a cap (Mod5 is AltGr), keys without a character and unknown names give none.
TEST(KeyBindingTest, GtkAcceleratorsShowAsGtkReadsThem) {
  expectShown({{"n;<Alt>f:n;<Primary>n", "⌘N"},
               {"d;<Alt>e:d;Delete", "⌦"},
               {"n;<Alt>f:n;", "-"},
               {"a;b;c;<Primary>q", "-"},
               {";;<Shft><Alt><Super><Primary>k", "⌃⌥⇧⌘K"},
               {";;<CONTROL>S", "⌘S"},
               {";;<Meta>x", "⌥X"},
               {";;<Mod4>l", "⌃L"},
               {";;<Mod2><Release>z", "Z"},
               {";;<Primary>ISO_Left_Tab", "⇧⌘⇥"},
               {";;<Control>KP_Add", "⌘+"},
               {";;<Primary>KP_Up", "⌘↑"},
               {";;<Primary>Next", "⌘⇟"},
               {";;<Primary>BackSpace", "⌘⌫"},
               {";;<Primary>space", "⌘Space"},
               {";;F35", "F35"},
               {";;<Primary>Eacute", "⌘É"},
               {";;<Mod5>a", "-"},
               {";;<Primary>Control_L", "-"},
               {";;<Primary>NoSuchKey", "-"},
               {";;<Super>", "-"},
               {";;<Primary", "-"},
               {";;<Primary>+", "-"},
               // A lone accelerator: keysym names hold no '+'.
               {"<Primary>q", "⌘Q"},
               {"Page_Up", "⇞"}});
}

// Qt's shortcut text. A bare Alt+key is an item's mnemonic and a chord is no one key: none.
// Nor is what is no binding at all, however well formed: too long, cut, or with a control.
TEST(KeyBindingTest, QtShortcutTextsShowAsQtWritesThem) {
  std::string tooLong;
  while (tooLong.size() <= kMaxKeyBindingBytes)
    tooLong += "Ctrl+";
  expectShown({{"Ctrl+N", "⌘N"},
               {"ctrl+shift+s", "⇧⌘S"},
               {"Ctrl++", "⌘+"},
               {"Ctrl+Num++", "⌘+"},
               {"Ctrl+,", "⌘,"},
               {"Ctrl+<", "⌘<"},
               {"Ctrl+É", "⌘É"},
               {"Meta+Tab", "⌃⇥"},
               {"Ctrl+Backtab", "⇧⌘⇥"},
               {"F11", "F11"},
               {"Del", "⌦"},
               {"Ctrl+PgDown", "⌘⇟"},
               {"Esc", "Esc"},
               {"Ctrl+Enter", "⌘↩"},
               {"Ctrl+Alt+Left", "⌥⌘←"},
               {"Ctrl+Alt+K", "⌥⌘K"},
               {"Ctrl+-", "⌘-"},
               {"Alt+F4", "⌥F4"},
               {"Alt+Shift+F", "⌥⇧F"},
               {"Alt+Num+5", "⌥5"},
               {"Alt+F", "-"},
               {"Ctrl+K, Ctrl+C", "-"},
               {"Ctrl+,, Ctrl+K", "-"},
               {"Ctrl+", "-"},
               {"Foo+N", "-"},
               {"Ctrl+Volume Up", "-"},
               {"Ctrl+F36", "-"},
               {tooLong + "N", "-"},
               {"", "-"},
               {"Ctrl+N\n", "-"},
               {std::string("Ctrl+\0N", 7), "-"},
               {"Ctrl+\xC3", "-"},
               {";;;", "-"}});
}

// In a sheet Alt+D is a shortcut, where a Qt menu's binding would be a mnemonic. A name without
// '+' is GTK's; "Alt+<" opens no GTK modifier.
TEST(AcceleratorChord, ReadsQtAndGtkFormsAndAltWithALetter) {
  expectShown({{"Ctrl+Shift+T", "⇧⌘T"},
               {"<Primary><Shift>t", "⇧⌘T"},
               {"Alt+D", "⌥D"},
               {"Alt+%", "⌥%"},
               {"Alt+<", "⌥<"},
               {"Esc", "Esc"},
               {"Page_Up", "⇞"},
               {"Alt+Left", "⌥←"},
               {"Ctrl+K, Ctrl+C", "-"},
               {"Ctrl+Foo", "-"},
               {"<Mod5>x", "-"},
               {"", "-"}},
              chordOfAccelerator);
}

}  // namespace
}  // namespace tavrine::keys
