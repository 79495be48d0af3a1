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

void expectShown(const Cases& cases) {
  for (const auto& [binding, shown] : cases) {
    const std::optional<KeyChord> key = parseKeyBinding(binding);
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

constexpr unsigned A = KeyChord::kAlt, S = KeyChord::kShift, P = KeyChord::kPrimary;

TEST(AcceleratorChord, ReadsQtAndGtkFormsAndAltWithALetter) {
  EXPECT_EQ(chordOfAccelerator("Ctrl+Shift+T"), KeyChord::make(P | S, "T"));
  EXPECT_EQ(chordOfAccelerator("<Primary><Shift>t"), KeyChord::make(P | S, "T"));
  EXPECT_EQ(chordOfAccelerator("Ctrl++"), KeyChord::make(P, "+"));
  // In a sheet Alt+D is a shortcut, where a Qt menu's binding would be a mnemonic.
  EXPECT_EQ(chordOfAccelerator("Alt+D"), KeyChord::make(A, "D"));
  EXPECT_EQ(chordOfAccelerator("Alt+%"), KeyChord::make(A, "%"));
  EXPECT_EQ(chordOfAccelerator("Alt+/"), KeyChord::make(A, "/"));
  EXPECT_EQ(chordOfAccelerator("Alt+<"), KeyChord::make(A, "<"));
  EXPECT_EQ(chordOfAccelerator("Esc"), KeyChord::make(0, NamedKey::escape));
  EXPECT_EQ(chordOfAccelerator("Page_Up"), KeyChord::make(0, NamedKey::pageUp));
  EXPECT_EQ(chordOfAccelerator("Alt+Left"), KeyChord::make(A, NamedKey::leftArrow));
  EXPECT_FALSE(chordOfAccelerator("Ctrl+K, Ctrl+C"));
  EXPECT_FALSE(chordOfAccelerator("Ctrl+Foo"));
  EXPECT_FALSE(chordOfAccelerator("<Mod5>x"));
  EXPECT_FALSE(chordOfAccelerator(""));
}

}  // namespace
}  // namespace tavrine::keys
