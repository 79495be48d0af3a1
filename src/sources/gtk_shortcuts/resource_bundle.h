// SPDX-License-Identifier: MIT
// The GtkBuilder files in a GResource bundle that describe a shortcuts window. The bundle is
// read by a bounded reader of our own, since GLib's trusts a bundle's structure; which of its
// files matter is told by their content (an object of class GtkShortcutsShortcut), not by their
// names, which every application chooses for itself.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace tavrine::sources::gtk {

struct UiFile {
  std::string path;  // the resource path, "/org/gnome/TextEditor/ui/help-overlay.ui"
  std::string text;

  bool operator==(const UiFile&) const = default;
};

// A bundle holds thousands of files at most (icons, CSS, UI); files larger than a megabyte are
// not builder files.
inline constexpr std::size_t kMaxBundleEntries = 20000;
inline constexpr std::size_t kMaxUiBytes = 1u << 20;
inline constexpr std::size_t kMaxUiFiles = 32;

// The builder files in `bundle` (a compiled GResource, as glib-compile-resources writes it) that
// declare GtkShortcutsShortcut objects, in path order. Empty for data that is not a bundle.
std::vector<UiFile> shortcutsUiFiles(std::span<const std::byte> bundle);

}  // namespace tavrine::sources::gtk
