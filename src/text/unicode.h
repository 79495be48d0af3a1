// SPDX-License-Identifier: MIT
// Unicode helpers for UTF-8 text. Every module goes through these instead of doing its own
// byte arithmetic: texts from other applications can hold anything, including invalid UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::text {

// The canonical (NFC) form. Ill-formed UTF-8 is read with U+FFFD for each bad sequence, so the
// result is always well-formed.
std::string canonical(std::string_view s);

// True when the two texts are canonically equivalent ("e" + U+0301 equals "é").
bool canonicalEquals(std::string_view a, std::string_view b);

// A hash that agrees with canonicalEquals.
std::size_t canonicalHash(std::string_view s);

// Ascending by Unicode scalar value of the canonical forms: no case folding, no locale rules.
bool canonicalLess(std::string_view a, std::string_view b);

// Functors for hashed containers keyed by text under canonical equivalence.
struct CanonicalHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return canonicalHash(s); }
};
struct CanonicalEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return canonicalEquals(a, b); }
};

// Splits into user-perceived characters (extended grapheme clusters). The views point into s.
// Ill-formed bytes form clusters of their own and are never dropped.
std::vector<std::string_view> graphemes(std::string_view s);

// The longest prefix of `s` of at most `maxBytes` bytes that ends between user-perceived
// characters; costs O(maxBytes) whatever the length of `s`. Text from other processes is cut
// with this where it enters, before it is copied.
std::string_view clipToGraphemes(std::string_view s, std::size_t maxBytes);

// The longest title another program may hand us that is kept (a menu item's, a shortcut's):
// longer ones are cut between characters to this.
inline constexpr std::size_t kMaxTitleBytes = 512;

// True when `s` would draw nothing at all: it holds only white space, controls, format and other
// default-ignorable characters (zero-width and no-break spaces, joiners, bidi controls, Hangul
// fillers) or the blank Braille pattern. Ill-formed bytes draw a replacement character.
bool drawsNothing(std::string_view s);

// Full Unicode upper-casing, independent of the user's locale ("ß" becomes "SS").
std::string toUpperFull(std::string_view s);

// Removes leading and trailing space separators (category Zs) and tabs; line breaks stay.
std::string_view trimSpacesAndTabs(std::string_view s);

// Replaces every non-overlapping occurrence of `from`, scanning from the start.
std::string replaceAll(std::string_view s, std::string_view from, std::string_view to);

// The code point when `s` is the well-formed encoding of exactly one, else none.
std::optional<char32_t> singleCodePoint(std::string_view s);

// Whether `s` begins, or ends, with a letter of the Latin script or a decimal digit; false for
// the empty text and for ill-formed bytes there.
bool beginsWithLatinLetterOrDigit(std::string_view s);
bool endsWithLatinLetterOrDigit(std::string_view s);

// The UTF-8 encoding of `c`; U+FFFD for a surrogate or a value past U+10FFFF.
std::string toUtf8(char32_t c);

// `s` as well-formed UTF-8: unchanged when it is, else each ill-formed sequence as U+FFFD.
std::string wellFormed(std::string_view s);

// Characters that would show as nothing, as a gap or as part of the character before them,
// written as their code point ("U+0001", "U+F748", "U+00A0"): controls, format characters,
// private-use, surrogate and unassigned code points, separators, and a combining mark that
// begins a user-perceived character. Everything else passes unchanged.
std::string showUnprintable(std::string_view s);

// A printable key as its cap shows it: upper-cased in full ("ß" gives "SS"), with characters
// that would show as nothing written as their code point.
std::string keyCapOf(std::string_view key);

}  // namespace tavrine::text
