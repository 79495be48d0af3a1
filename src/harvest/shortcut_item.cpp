// SPDX-License-Identifier: MIT
#include "harvest/shortcut_item.h"

#include <cstdio>
#include <cstring>
#include <random>
#include <string_view>

#include "text/unicode.h"

namespace tavrine {
namespace {

std::size_t combine(std::size_t seed, std::size_t value) {
  return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace

Uuid Uuid::random() {
  // Seeded once per thread from the system's entropy source; records need unique ids, not secrets.
  thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }();
  Uuid u;
  const std::uint64_t high = engine();
  const std::uint64_t low = engine();
  std::memcpy(u.bytes.data(), &high, 8);
  std::memcpy(u.bytes.data() + 8, &low, 8);
  u.bytes[6] = static_cast<std::uint8_t>((u.bytes[6] & 0x0F) | 0x40);  // version 4
  u.bytes[8] = static_cast<std::uint8_t>((u.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return u;
}

std::string Uuid::toString() const {
  std::string out;
  out.reserve(36);
  char digits[3];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    out.append(digits, 2);
  }
  return out;
}

std::size_t UuidHash::operator()(const Uuid& u) const {
  std::uint64_t high;
  std::uint64_t low;
  std::memcpy(&high, u.bytes.data(), 8);
  std::memcpy(&low, u.bytes.data() + 8, 8);
  return combine(std::hash<std::uint64_t>{}(high), std::hash<std::uint64_t>{}(low));
}

ShortcutItem::ShortcutItem(std::string menuPath, std::string title, KeyChord chord,
                           ShortcutOrigin origin)
    : id_(Uuid::random()),
      menuPath_(std::move(menuPath)),
      title_(std::move(title)),
      shortcut_(shortcutText(chord)),
      chord_(std::move(chord)),
      origin_(std::move(origin)) {}

ShortcutItem ShortcutItem::shownAs(std::string menuPath, std::string title) const {
  return ShortcutItem(std::move(menuPath), std::move(title), chord_, origin_);
}

bool operator==(const ShortcutItem& a, const ShortcutItem& b) {
  return a.id_ == b.id_ && text::canonicalEquals(a.menuPath_, b.menuPath_) &&
         text::canonicalEquals(a.title_, b.title_) &&
         text::canonicalEquals(a.shortcut_, b.shortcut_);
}

std::size_t ShortcutItemHash::operator()(const ShortcutItem& item) const {
  std::size_t seed = UuidHash{}(item.id());
  seed = combine(seed, text::canonicalHash(item.menuPath()));
  seed = combine(seed, text::canonicalHash(item.title()));
  return combine(seed, text::canonicalHash(item.shortcut()));
}

}  // namespace tavrine
