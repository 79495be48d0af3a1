// SPDX-License-Identifier: MIT
#include "text/unicode.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

namespace tavrine::text {
namespace {

bool isAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool isWellFormed(std::string_view s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(s.size());
  std::int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(p, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

const icu::Normalizer2* nfc() {
  static const icu::Normalizer2* instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return instance;
}

// Already canonical as it stands: plain bytes can then stand for the text.
bool isCanonicalAsIs(std::string_view s) {
  if (isAscii(s)) return true;
  if (s.size() > static_cast<std::size_t>(INT32_MAX) || !isWellFormed(s) || nfc() == nullptr) {
    return false;
  }
  UErrorCode status = U_ZERO_ERROR;
  const bool normalized = nfc()->isNormalizedUTF8(
      icu::StringPiece(s.data(), static_cast<std::int32_t>(s.size())), status);
  return U_SUCCESS(status) && normalized;
}

icu::UnicodeString fromUtf8(std::string_view s) {
  // Oversized inputs cannot be addressed by ICU's 32-bit indexes; no menu text comes close.
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(s.size(), INT32_MAX));
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), length));
}

std::string toUtf8(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

}  // namespace

std::string canonical(std::string_view s) {
  if (isCanonicalAsIs(s)) return std::string(s);
  const icu::UnicodeString u = fromUtf8(s);
  if (nfc() == nullptr) return toUtf8(u);
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString normalized = nfc()->normalize(u, status);
  return toUtf8(U_SUCCESS(status) ? normalized : u);
}

bool canonicalEquals(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (isCanonicalAsIs(a) && isCanonicalAsIs(b)) return false;
  return canonical(a) == canonical(b);
}

std::size_t canonicalHash(std::string_view s) {
  if (isCanonicalAsIs(s)) return std::hash<std::string_view>{}(s);
  return std::hash<std::string>{}(canonical(s));
}

bool canonicalLess(std::string_view a, std::string_view b) {
  // UTF-8 byte order is code point order, so the canonical forms compare as bytes.
  if (isCanonicalAsIs(a) && isCanonicalAsIs(b)) return a < b;
  return canonical(a) < canonical(b);
}

std::vector<std::string_view> graphemes(std::string_view s) {
  std::vector<std::string_view> out;
  if (s.empty()) return out;
  if (isAscii(s)) {
    // Among ASCII characters only CR LF joins into one cluster.
    for (std::size_t i = 0; i < s.size(); ++i) {
      const std::size_t n = (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
      out.push_back(s.substr(i, n));
      i += n - 1;
    }
    return out;
  }
  thread_local std::unique_ptr<icu::BreakIterator> breaker = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    return U_SUCCESS(status) ? std::move(it) : nullptr;
  }();
  UErrorCode status = U_ZERO_ERROR;
  const auto length = static_cast<std::int64_t>(std::min<std::size_t>(s.size(), INT32_MAX));
  UText* ut = utext_openUTF8(nullptr, s.data(), length, &status);
  if (breaker == nullptr || U_FAILURE(status)) {
    utext_close(ut);
    out.push_back(s);
    return out;
  }
  breaker->setText(ut, status);
  std::int32_t start = breaker->first();
  for (std::int32_t end = breaker->next(); end != icu::BreakIterator::DONE && U_SUCCESS(status);
       start = end, end = breaker->next()) {
    out.push_back(s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
  }
  // The cached iterator keeps a shallow clone of its text, which points into `s`: leave it on
  // static empty text. (Not setText(UnicodeString()): that overload keeps a reference to the
  // string object itself, which a temporary leaves dangling.)
  static constexpr char kEmpty[] = "";
  UErrorCode resetStatus = U_ZERO_ERROR;
  ut = utext_openUTF8(ut, kEmpty, 0, &resetStatus);
  breaker->setText(ut, resetStatus);
  utext_close(ut);
  if (static_cast<std::size_t>(start) < s.size()) out.push_back(s.substr(start));
  return out;
}

std::string toUpperFull(std::string_view s) {
  if (isAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  icu::UnicodeString u = fromUtf8(s);
  u.toUpper(icu::Locale::getRoot());
  return toUtf8(u);
}

std::string_view clipToGraphemes(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  // A boundary is decided by the characters on both sides of it: look a little past the cut.
  constexpr std::size_t kLookAhead = 64;
  const std::string_view window = s.substr(0, maxBytes + kLookAhead);
  std::size_t end = 0;
  for (const std::string_view cluster : graphemes(window)) {
    const std::size_t next = static_cast<std::size_t>(cluster.data() - s.data()) + cluster.size();
    if (next > maxBytes || next == window.size()) break;
    end = next;
  }
  return s.substr(0, end);
}

bool drawsNothing(std::string_view s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(s.size(), INT32_MAX));
  for (std::int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(p, i, length, c);
    const auto type = c < 0 ? U_GENERAL_OTHER_TYPES : static_cast<UCharCategory>(u_charType(c));
    if (c < 0 || !(u_isUWhiteSpace(c) || type == U_CONTROL_CHAR || type == U_FORMAT_CHAR ||
                   type == U_SPACE_SEPARATOR || c == 0x2800 ||
                   u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT))) {
      return false;
    }
  }
  return true;
}

std::string_view trimSpacesAndTabs(std::string_view s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(s.size(), INT32_MAX));
  auto isTrimmed = [](UChar32 c) {
    return c == '\t' || (c >= 0 && u_charType(c) == U_SPACE_SEPARATOR);
  };
  std::int32_t begin = 0;
  while (begin < length) {
    std::int32_t next = begin;
    UChar32 c;
    U8_NEXT(p, next, length, c);
    if (!isTrimmed(c)) break;
    begin = next;
  }
  // Forward scan for the end of the last kept character; stepping backwards through UTF-8 is
  // not worth its own code.
  std::int32_t end = begin;
  for (std::int32_t i = begin; i < length;) {
    UChar32 c;
    U8_NEXT(p, i, length, c);
    if (!isTrimmed(c)) end = i;
  }
  return s.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

std::string replaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  for (std::size_t hit = s.find(from); hit != std::string_view::npos; hit = s.find(from, pos)) {
    out.append(s.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s.substr(pos));
  return out;
}

std::optional<char32_t> singleCodePoint(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(s.size());
  std::int32_t i = 0;
  UChar32 c;
  U8_NEXT(p, i, length, c);
  if (c < 0 || i != length) return std::nullopt;
  return static_cast<char32_t>(c);
}

namespace {

bool isLatinLetterOrDigit(UChar32 c) {
  if (c < 0) return false;
  if (u_isdigit(c)) return true;
  UErrorCode status = U_ZERO_ERROR;
  return u_isalpha(c) && uscript_getScript(c, &status) == USCRIPT_LATIN && U_SUCCESS(status);
}

// The first code point of `s`, or a negative value when it is empty or ill-formed there.
UChar32 firstCodePoint(std::string_view s) {
  if (s.empty()) return -1;
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const auto length = static_cast<std::int32_t>(std::min<std::size_t>(s.size(), 4));
  std::int32_t i = 0;
  UChar32 c;
  U8_NEXT(p, i, length, c);
  return c;
}

}  // namespace

bool beginsWithLatinLetterOrDigit(std::string_view s) {
  return isLatinLetterOrDigit(firstCodePoint(s));
}

bool endsWithLatinLetterOrDigit(std::string_view s) {
  // Back over at most three continuation bytes to where the last code point starts.
  std::size_t start = s.size();
  while (start > 0 && s.size() - start < 4) {
    --start;
    if ((static_cast<unsigned char>(s[start]) & 0xC0) != 0x80) break;
  }
  return isLatinLetterOrDigit(firstCodePoint(s.substr(start)));
}

std::string toUtf8(char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  std::uint8_t buffer[U8_MAX_LENGTH];
  std::int32_t length = 0;
  U8_APPEND_UNSAFE(buffer, length, c);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

std::string wellFormed(std::string_view s) {
  if (isAscii(s) || (s.size() <= INT32_MAX && isWellFormed(s))) return std::string(s);
  return toUtf8(fromUtf8(s));
}

std::string showUnprintable(std::string_view s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  // Whether a character starting a cluster is drawn as nothing, or as something that belongs to
  // the character before it.
  const auto invisible = [](UChar32 c) {
    switch (u_charType(c)) {
      case U_CONTROL_CHAR:
      case U_FORMAT_CHAR:
      case U_PRIVATE_USE_CHAR:
      case U_SURROGATE:
      case U_UNASSIGNED:
      case U_SPACE_SEPARATOR:
      case U_LINE_SEPARATOR:
      case U_PARAGRAPH_SEPARATOR:
      case U_NON_SPACING_MARK:
      case U_ENCLOSING_MARK:
      case U_COMBINING_SPACING_MARK:
        return true;
      default:
        return false;
    }
  };
  std::string out;
  out.reserve(s.size());
  for (const std::string_view cluster : graphemes(s)) {
    const auto start = static_cast<std::int32_t>(cluster.data() - s.data());
    const auto end = start + static_cast<std::int32_t>(cluster.size());
    std::int32_t i = start;
    UChar32 c;
    U8_NEXT(p, i, end, c);
    if (c < 0 || !invisible(c)) {
      out.append(cluster);  // ill-formed bytes stay: they are drawn as U+FFFD
      continue;
    }
    for (i = start; i < end;) {
      U8_NEXT(p, i, end, c);
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c < 0 ? 0xFFFD : c));
      out += name;
    }
  }
  return out;
}

std::string keyCapOf(std::string_view key) {
  return showUnprintable(toUpperFull(key));
}

}  // namespace tavrine::text
