// SPDX-License-Identifier: MIT
// GNOME's key bindings as the user set them, through GSettings: the window manager's
// (org.gnome.desktop.wm.keybindings), the shell's, mutter's and the media keys', custom ones
// included, each key titled by its schema's summary and, in Chinese, by the zh_CN catalogue of
// the schema's gettext domain. A schema that is not installed is left out. Changes are followed
// through GSettings' change signals, on the GLib main context the object was made on.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sources/desktop/desktop_shortcuts.h"
#include "sources/gtk_shortcuts/mo_catalog.h"

using GSettings = struct _GSettings;

namespace tavrine::gnome {

class GSettingsBindings {
 public:
  using Handler = std::function<void(const std::vector<DesktopBinding>&)>;
  struct Schema;  // a schema read, and the gettext domain of its texts

  // At most this many custom bindings are read.
  static constexpr std::size_t kMaxCustomBindings = 200;

  // Reads the keys at once and tells `changed`, and again after every change.
  explicit GSettingsBindings(Handler changed);
  ~GSettingsBindings();
  GSettingsBindings(const GSettingsBindings&) = delete;
  GSettingsBindings& operator=(const GSettingsBindings&) = delete;

  // The bound keys now.
  std::vector<DesktopBinding> read();

 private:
  static void onChanged(GSettings* settings, const char* key, void* self);
  void watch(GSettings* settings);
  void followCustomList();
  const sources::gtk::MoCatalog* chinese(const std::string& domain);

  Handler changed_;
  std::vector<std::pair<const Schema*, GSettings*>> settings_;
  GSettings* mediaKeys_ = nullptr;  // owned by settings_
  std::vector<GSettings*> custom_;
  std::map<std::string, std::optional<sources::gtk::MoCatalog>> catalogs_;
};

}  // namespace tavrine::gnome
