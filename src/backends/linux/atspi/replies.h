// SPDX-License-Identifier: MIT
// What a menu-bar read over AT-SPI collected, decoded into plain values: the input of the
// snapshot builder, and what the recorded fixtures hold.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::atspi {

// AT-SPI roles the reader and the builder look at.
inline constexpr std::uint32_t kRoleMenu = 33;
inline constexpr std::uint32_t kRoleMenuBar = 34;
inline constexpr std::uint32_t kRoleMenuItem = 35;
inline constexpr std::uint32_t kRolePopupMenu = 41;
inline constexpr std::uint32_t kRoleSeparator = 50;

// One entry of org.a11y.atspi.Cache.GetItems, reduced to what the builder reads.
struct CacheItem {
  std::string path;
  std::string parent;
  std::uint32_t role = 0;
  std::string name;

  bool operator==(const CacheItem&) const = default;
};

// Object paths are the application's; every map is keyed by path. A path missing from a map had
// no (usable) reply.
struct MenuReplies {
  std::string menuBar;  // empty: the application has no menu bar we could find

  // Toolkits with a cache (GTK): Collection.GetMatches on the menu bar gives every descendant in
  // menu order; Cache.GetItems gives their names, roles and parents.
  std::vector<std::string> matches;
  std::vector<CacheItem> cache;

  // Toolkits without one (Qt): the walk by levels, GetChildren and Name per object. Roles are
  // optional (the reader leaves them out; a pyatspi walk records them).
  std::map<std::string, std::vector<std::string>> children;
  std::map<std::string, std::string> names;
  std::map<std::string, std::uint32_t> roles;

  // Action.GetKeyBinding(0), for both.
  std::map<std::string, std::string> keyBindings;

  bool operator==(const MenuReplies&) const = default;
};

// A line-based text form, for fixtures and recordings. Fields are separated by tabs; a backslash
// escapes itself, a tab (\t), a line feed (\n) and a carriage return (\r):
//
//   # comment
//   menubar  PATH
//   match    PATH
//   cache    PATH  PARENT  ROLE  NAME
//   children PATH  [CHILD...]
//   name     PATH  NAME
//   role     PATH  ROLE
//   binding  PATH  BINDING
std::string formatReplies(const MenuReplies& replies);

struct RepliesParse {
  std::optional<MenuReplies> replies;  // none on error
  std::string error;                   // "line N: why"
};
RepliesParse parseReplies(std::string_view text);

}  // namespace tavrine::atspi
