// SPDX-License-Identifier: MIT
#include "sources/accelerators/accelerator_chord.h"

#include <gtest/gtest.h>

namespace tavrine::sources {
namespace {

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
}  // namespace tavrine::sources
