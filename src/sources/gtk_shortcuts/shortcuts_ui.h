// SPDX-License-Identifier: MIT
// The shortcuts a GtkBuilder description of a GtkShortcutsWindow lists, as written there:
// untranslated, with the accelerators still in GTK's text form.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrine::sources::gtk {

// A translatable text and the context gettext needs to find its translation.
struct UiText {
  std::string text;
  std::string context;
  bool translatable = false;

  bool operator==(const UiText&) const = default;
};

struct UiShortcut {
  UiText heading;  // the GtkShortcutsGroup's title
  UiText title;
  // "<Primary>n", "<Primary><Shift>z"; one accelerator property may list several.
  std::vector<std::string> accelerators;

  bool operator==(const UiShortcut&) const = default;
};

struct UiShortcuts {
  std::string domain;  // <interface domain="...">; empty when it names none
  std::vector<UiShortcut> shortcuts;

  bool operator==(const UiShortcuts&) const = default;
};

inline constexpr std::size_t kMaxUiShortcuts = 2000;
inline constexpr std::size_t kMaxAcceleratorsPerShortcut = 8;

// The accelerator shortcuts of the GtkShortcutsShortcut objects in `xml`, in document order,
// each under its group's title. Gestures and other kinds of shortcut, and shortcuts with no
// title or no accelerator (GTK fills those from the application's actions at run time, which
// only the running application knows), are left out. None when `xml` is not well-formed.
std::optional<UiShortcuts> parseShortcutsUi(std::string_view xml);

}  // namespace tavrine::sources::gtk
