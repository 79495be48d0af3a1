// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_color_scheme.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#include "model/user_folders.h"

namespace tavrine::xdg {
namespace {

constexpr const char* kGnomeSchema = "org.gnome.desktop.interface";
constexpr const char* kGnomeKey = "color-scheme";
// kdeglobals is a few kilobytes; anything far larger is not one.
constexpr std::streamsize kMaxKdeGlobals = 1 << 20;

// GSettings aborts the process on a schema that is not installed: it is looked up first.
GSettings* gnomeSettings() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source == nullptr) return nullptr;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeSchema, TRUE);
  if (schema == nullptr) return nullptr;
  GSettings* settings = g_settings_schema_has_key(schema, kGnomeKey)
                            ? g_settings_new_full(schema, nullptr, nullptr)
                            : nullptr;
  g_settings_schema_unref(schema);
  return settings;
}

std::string readBounded(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(static_cast<std::size_t>(kMaxKdeGlobals), '\0');
  in.read(text.data(), kMaxKdeGlobals);
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

}  // namespace

std::optional<bool> kdePrefersDark(std::string_view kdeglobals) {
  GKeyFile* file = g_key_file_new();
  std::optional<bool> dark;
  if (g_key_file_load_from_data(file, kdeglobals.data(), kdeglobals.size(), G_KEY_FILE_NONE,
                                nullptr)) {
    if (gchar* scheme = g_key_file_get_string(file, "General", "ColorScheme", nullptr)) {
      if (std::string_view(scheme).find("Dark") != std::string_view::npos) dark = true;
      g_free(scheme);
    }
    // The scheme's name may say nothing ("Breeze" is light, a user's own may be either): the
    // windows' background does.
    if (!dark) {
      if (gchar* rgb = g_key_file_get_string(file, "Colors:Window", "BackgroundNormal", nullptr)) {
        int r = 0;
        int g = 0;
        int b = 0;
        if (std::sscanf(rgb, "%d,%d,%d", &r, &g, &b) == 3) {
          const int lightness = (std::max({r, g, b}) + std::min({r, g, b})) / 2;
          dark = lightness < 128;
        }
        g_free(rgb);
      }
    }
  }
  g_key_file_free(file);
  return dark;
}

std::string kdeGlobalsPath(const char* xdgConfigHome, const char* home) {
  return configFile(xdgConfigHome, home, "kdeglobals").string();
}

DesktopColorScheme::DesktopColorScheme(Desktop desktop, std::string kdeglobals) {
  if (desktop == Desktop::kde) {
    kdeglobals_ = std::move(kdeglobals);
    if (kdeglobals_.empty()) return;
    kdeWatch_ = std::make_unique<FileWatch>(kdeglobals_, [this] { notify(this); });
    return;
  }
  settings_ = gnomeSettings();
  if (settings_ != nullptr) {
    g_signal_connect_swapped(settings_, "changed::color-scheme",
                             G_CALLBACK(&DesktopColorScheme::notify), this);
  }
}

DesktopColorScheme::~DesktopColorScheme() {
  if (settings_ != nullptr) {
    g_signal_handlers_disconnect_by_data(settings_, this);
    g_object_unref(settings_);
  }
}

std::optional<bool> DesktopColorScheme::prefersDark() const {
  if (!kdeglobals_.empty()) return kdePrefersDark(readBounded(kdeglobals_));
  if (settings_ == nullptr) return std::nullopt;
  gchar* value = g_settings_get_string(settings_, kGnomeKey);
  const std::string_view scheme = value != nullptr ? value : "";
  std::optional<bool> dark;
  if (scheme == "prefer-dark") dark = true;
  if (scheme == "prefer-light") dark = false;
  g_free(value);
  return dark;
}

void DesktopColorScheme::notify(DesktopColorScheme* self) {
  if (self->changed_) self->changed_();
}

}  // namespace tavrine::xdg
