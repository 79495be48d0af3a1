// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/resource_bundle.h"

#include <gio/gio.h>

#include <memory>
#include <string_view>

namespace tavrine::sources::gtk {
namespace {

constexpr int kMaxDepth = 32;
constexpr std::string_view kMarker = "GtkShortcutsShortcut";

struct Unref {
  void operator()(GResource* r) const { g_resource_unref(r); }
  void operator()(GBytes* b) const { g_bytes_unref(b); }
  void operator()(char** v) const { g_strfreev(v); }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

struct Walk {
  GResource* resource;
  std::size_t entries = 0;
  std::vector<UiFile> found;

  void folder(const std::string& path, int depth) {
    if (depth > kMaxDepth) return;
    Owned<char*> children(g_resource_enumerate_children(resource, path.c_str(),
                                                        G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr));
    if (!children) return;
    for (char** child = children.get(); *child; ++child) {
      if (++entries > kMaxBundleEntries || found.size() >= kMaxUiFiles) return;
      const std::string name = *child;
      if (name.empty()) continue;
      if (name.back() == '/')
        folder(path + name, depth + 1);
      else
        file(path + name);
    }
  }

  void file(const std::string& path) {
    gsize size = 0;
    guint32 flags = 0;
    if (!g_resource_get_info(resource, path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, &size, &flags,
                             nullptr) ||
        size > kMaxUiBytes)
      return;
    Owned<GBytes> data(
        g_resource_lookup_data(resource, path.c_str(), G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr));
    if (!data) return;
    gsize length = 0;
    const auto* bytes = static_cast<const char*>(g_bytes_get_data(data.get(), &length));
    if (!bytes || length > kMaxUiBytes) return;
    std::string_view text(bytes, length);
    if (text.find(kMarker) == std::string_view::npos) return;
    found.push_back({path, std::string(text)});
  }
};

}  // namespace

std::vector<UiFile> shortcutsUiFiles(std::span<const std::byte> bundle) {
  // GLib reads a bundle in place when it is suitably aligned and copies it otherwise; the bytes
  // are ours only for this call, so hand it a copy it owns.
  Owned<GBytes> bytes(g_bytes_new(bundle.data(), bundle.size()));
  Owned<GResource> resource(g_resource_new_from_data(bytes.get(), nullptr));
  if (!resource) return {};
  Walk walk{resource.get(), 0, {}};
  walk.folder("/", 0);
  return std::move(walk.found);
}

}  // namespace tavrine::sources::gtk
