// SPDX-License-Identifier: MIT
// The shortcuts windows of the GTK application in front, as a source of shortcuts.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "sources/gtk_shortcuts/shortcuts_windows.h"
#include "sources/shortcut_source.h"

namespace tavrine::sources::gtk {

class GtkShortcutsSource final : public ShortcutSource {
 public:
  static constexpr const char* kName = "shortcuts window";
  // The gettext domain the application's desktop entry names (X-GNOME-Gettext-Domain), if any.
  using DomainOf = std::function<std::string(const FrontApplication&)>;

  explicit GtkShortcutsSource(DomainOf domainOf,
                              std::chrono::milliseconds budget = std::chrono::milliseconds(200));
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override;

 private:
  DomainOf domainOf_;
  std::chrono::milliseconds budget_;
  mutable ShortcutsWindows windows_;
};

}  // namespace tavrine::sources::gtk
