// SPDX-License-Identifier: MIT
#include "backends/linux/gnome/gsettings_bindings.h"

#include <gio/gio.h>
#include <locale.h>

#include <algorithm>
#include <string_view>

#include "keys/key_binding.h"
#include "sources/foreign_file/foreign_file.h"

namespace tavrine::gnome {

struct GSettingsBindings::Schema {
  const char* id;
  const char* domain;  // the gettext domain its summaries are translated in
};

namespace {

constexpr GSettingsBindings::Schema kSchemas[] = {
    {"org.gnome.desktop.wm.keybindings", "gsettings-desktop-schemas"},
    {"org.gnome.shell.keybindings", "gnome-shell"},
    {"org.gnome.mutter.keybindings", "mutter"},
    {"org.gnome.mutter.wayland.keybindings", "mutter"},
    {"org.gnome.settings-daemon.plugins.media-keys", "gnome-settings-daemon"},
};
constexpr const char* kMediaKeys = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* kCustomSchema =
    "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* kCustomList = "custom-keybindings";

GSettingsSchema* lookup(const char* id) {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  return source != nullptr ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
}

// The first binding that is bound and reads: "" and "disabled" are not.
std::optional<KeyChord> firstChord(const std::vector<std::string>& bindings) {
  for (const std::string& b : bindings) {
    if (b.empty() || b == "disabled") continue;
    if (auto chord = keys::parseGtkAccelerator(b)) return chord;
  }
  return std::nullopt;
}

std::vector<std::string> bindingsOf(GSettings* settings, GSettingsSchemaKey* key,
                                    const char* name) {
  std::vector<std::string> out;
  const GVariantType* type = g_settings_schema_key_get_value_type(key);
  if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING_ARRAY)) {
    gchar** values = g_settings_get_strv(settings, name);
    for (gchar** v = values; v != nullptr && *v != nullptr; ++v)
      out.emplace_back(*v);
    g_strfreev(values);
  } else if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING)) {
    gchar* value = g_settings_get_string(settings, name);
    out.emplace_back(value);
    g_free(value);
  }
  return out;
}

// The summary as the schema wrote it, untranslated: the C locale for this thread alone while
// GLib translates it, so the user's locale does not choose the language the overlay shows.
std::string untranslatedSummary(GSettingsSchemaKey* key) {
  const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = c != static_cast<locale_t>(nullptr) ? uselocale(c) : nullptr;
  const char* summary = g_settings_schema_key_get_summary(key);
  std::string out = summary != nullptr ? summary : "";
  if (c != static_cast<locale_t>(nullptr)) {
    uselocale(previous);
    freelocale(c);
  }
  return out;
}

std::string stringOf(GSettings* settings, const char* key) {
  gchar* value = g_settings_get_string(settings, key);
  std::string out = value != nullptr ? value : "";
  g_free(value);
  return out;
}

// g_settings_new_with_path aborts on a malformed path; the list is the user's to write.
bool isValidPath(std::string_view path) {
  return path.size() >= 2 && path.front() == '/' && path.back() == '/' &&
         path.find("//") == std::string_view::npos;
}

}  // namespace

GSettingsBindings::GSettingsBindings(Handler changed) : changed_(std::move(changed)) {
  for (const Schema& schema : kSchemas) {
    GSettingsSchema* found = lookup(schema.id);
    if (found == nullptr) continue;
    GSettings* settings = g_settings_new_full(found, nullptr, nullptr);
    g_settings_schema_unref(found);
    settings_.emplace_back(&schema, settings);
    if (std::string_view(schema.id) == kMediaKeys) mediaKeys_ = settings;
  }
  followCustomList();
  // Signals come only for keys read once: every key is read before the first is watched.
  const std::vector<DesktopBinding> bindings = read();
  for (const auto& [schema, settings] : settings_)
    watch(settings);
  if (changed_) changed_(bindings);
}

GSettingsBindings::~GSettingsBindings() {
  for (GSettings* settings : custom_)
    g_object_unref(settings);
  for (const auto& [schema, settings] : settings_)
    g_object_unref(settings);
}

void GSettingsBindings::watch(GSettings* settings) {
  g_signal_connect(settings, "changed", G_CALLBACK(&GSettingsBindings::onChanged), this);
}

void GSettingsBindings::onChanged(GSettings* settings, const char* key, void* self) {
  auto* me = static_cast<GSettingsBindings*>(self);
  if (settings == me->mediaKeys_ && key != nullptr && std::string_view(key) == kCustomList)
    me->followCustomList();
  const std::vector<DesktopBinding> bindings = me->read();
  if (me->changed_) me->changed_(bindings);
}

void GSettingsBindings::followCustomList() {
  for (GSettings* settings : custom_)
    g_object_unref(settings);
  custom_.clear();
  GSettingsSchema* schema = mediaKeys_ != nullptr ? lookup(kCustomSchema) : nullptr;
  if (schema == nullptr) return;
  gchar** paths = g_settings_get_strv(mediaKeys_, kCustomList);
  for (gchar** p = paths; p != nullptr && *p != nullptr && custom_.size() < kMaxCustomBindings;
       ++p) {
    if (!isValidPath(*p)) continue;
    custom_.push_back(g_settings_new_full(schema, nullptr, *p));
  }
  g_strfreev(paths);
  g_settings_schema_unref(schema);
  for (GSettings* settings : custom_) {
    g_free(g_settings_get_string(settings, "binding"));  // read once, so that changes are told
    watch(settings);
  }
}

const sources::gtk::MoCatalog* GSettingsBindings::chinese(const std::string& domain) {
  auto it = catalogs_.find(domain);
  if (it == catalogs_.end()) {
    std::optional<sources::gtk::MoCatalog> parsed;
    for (const auto& candidate : sources::gtk::catalogCandidates("/", domain, "zh_CN", {})) {
      if (auto text = sources::readForeignFile(candidate, sources::gtk::kMaxCatalogBytes))
        parsed = sources::gtk::MoCatalog::parse(*text);
      if (parsed) break;
    }
    it = catalogs_.emplace(domain, std::move(parsed)).first;
  }
  return it->second ? &*it->second : nullptr;
}

std::vector<DesktopBinding> GSettingsBindings::read() {
  std::vector<DesktopBinding> out;
  for (const auto& [schema, settings] : settings_) {
    GSettingsSchema* found = nullptr;
    g_object_get(settings, "settings-schema", &found, nullptr);
    if (found == nullptr) continue;
    gchar** names = g_settings_schema_list_keys(found);
    std::vector<std::string> keys;
    for (gchar** n = names; n != nullptr && *n != nullptr; ++n)
      keys.emplace_back(*n);
    g_strfreev(names);
    std::sort(keys.begin(), keys.end());  // GLib lists them in no set order
    const sources::gtk::MoCatalog* zh = chinese(schema->domain);
    for (const std::string& name : keys) {
      if (name == kCustomList || out.size() >= kMaxDesktopBindings) continue;
      GSettingsSchemaKey* key = g_settings_schema_get_key(found, name.c_str());
      const auto chord = firstChord(bindingsOf(settings, key, name.c_str()));
      if (chord) {
        std::string title = untranslatedSummary(key);
        if (title.empty()) title = name;
        const std::string* titleZH = zh != nullptr ? zh->translate("", title) : nullptr;
        out.push_back({gnomeHeading(schema->id, name), title, titleZH ? *titleZH : "", *chord});
      }
      g_settings_schema_key_unref(key);
    }
    g_settings_schema_unref(found);
  }
  for (GSettings* settings : custom_) {
    const auto chord = firstChord({stringOf(settings, "binding")});
    if (!chord || out.size() >= kMaxDesktopBindings) continue;
    std::string title = stringOf(settings, "name");
    if (title.empty()) title = stringOf(settings, "command");
    out.push_back({SystemHeading::general, std::move(title), {}, *chord});
  }
  return out;
}

}  // namespace tavrine::gnome
