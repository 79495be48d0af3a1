// SPDX-License-Identifier: MIT
// Where shortcuts come from on Linux, in the order the overlay takes them. The program and
// `tavrine --list` ask the same sources.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "backends/linux/dbus/session_bus.h"
#include "backends/linux/xdg/desktop_entry.h"
#include "model/desktop.h"
#include "ports/accessibility.h"
#include "sources/desktop/desktop_shortcuts.h"
#include "sources/gtk_shortcuts/gtk_shortcuts_source.h"
#include "sources/sheets/sheet_source.h"
#include "sources/shortcut_source.h"

namespace tavrine::program {

struct LinuxSources {
  // The desktop entries the shortcuts windows learn an application's gettext domain from.
  std::shared_ptr<xdg::DesktopIcons> entries;
  std::shared_ptr<const sources::gtk::GtkShortcutsSource> windows;
  std::shared_ptr<const sources::sheets::SheetSource> sheets;
  // The desktop's own shortcuts, and what follows the user's changes to them (GSettings on
  // GNOME, kglobalshortcutsrc on KDE, xfconf on Xfce); kept for as long as the sources are.
  std::shared_ptr<DesktopShortcuts> desktop;
  std::shared_ptr<void> desktopWatch;
  // The menu bar, the shortcuts windows, the sheets, then the desktop's own.
  std::vector<ShortcutSourceRef> all;
};

// `accessibility` and `bus` (Xfce's shortcuts are read through it; none: the catalogue there)
// must outlive the sources.
LinuxSources linuxSources(const ax::AccessibilityPort& accessibility, Desktop desktop,
                          dbus::SessionBus* bus = nullptr);

// When process `pid` started (clock ticks since boot), which tells it apart from a later process
// given the same pid; 0 when it cannot be read.
std::uint64_t processStartTime(std::int32_t pid);

}  // namespace tavrine::program
