// SPDX-License-Identifier: MIT
// The desktop's own light/dark preference where no settings portal answers: GNOME's
// org.gnome.desktop.interface color-scheme (GSettings), KDE's kdeglobals. Followed as it
// changes, through the GLib main loop.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "backends/linux/xdg/file_watch.h"
#include "model/desktop.h"

typedef struct _GSettings GSettings;

namespace tavrine::xdg {

// What a kdeglobals file says: dark where [General] ColorScheme names a dark scheme or
// [Colors:Window] BackgroundNormal is a dark colour; none where it says neither.
std::optional<bool> kdePrefersDark(std::string_view kdeglobals);

// $XDG_CONFIG_HOME/kdeglobals, else ~/.config/kdeglobals; empty when neither is set.
std::string kdeGlobalsPath(const char* xdgConfigHome, const char* home);

class DesktopColorScheme {
 public:
  // Called on the main loop when the preference may have changed.
  using Changed = std::function<void()>;

  // KDE's file on KDE Plasma (`kdeglobals`, its path), GNOME's setting elsewhere.
  DesktopColorScheme(Desktop desktop, std::string kdeglobals);
  ~DesktopColorScheme();
  DesktopColorScheme(const DesktopColorScheme&) = delete;
  DesktopColorScheme& operator=(const DesktopColorScheme&) = delete;

  // True for dark, false for light, none where the desktop states no preference or cannot be
  // read (GNOME's schema not installed, or too old to have the key).
  std::optional<bool> prefersDark() const;
  void onChanged(Changed changed) { changed_ = std::move(changed); }

 private:
  static void notify(DesktopColorScheme* self);

  std::string kdeglobals_;
  GSettings* settings_ = nullptr;
  std::unique_ptr<FileWatch> kdeWatch_;
  Changed changed_;
};

}  // namespace tavrine::xdg
