// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/resource_bundle.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace tavrine::sources::gtk {
namespace {

// A compiled bundle is a GVDB file: a header pointing at a hash table whose items each name
// their parent item, their key (the last part of their path) and their value. GLib reads a
// bundle as trusted data, in place, and a malformed one crashes it; so the items are read here,
// every offset checked, and GLib is handed only each file's value, as data it checks itself.
constexpr std::size_t kHeaderBytes = 24;
constexpr std::size_t kItemBytes = 24;
constexpr std::uint32_t kNoParent = 0xffffffffu;
constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxPathBytes = 4096;
// What may be looked at in one bundle, file contents decompressed or not: well above what GTK's
// own bundle holds, far below what a bundle whose entries share one blob could make us read.
constexpr std::uint64_t kMaxExaminedBytes = 64u << 20;
constexpr std::string_view kMarker = "GtkShortcutsShortcut";

struct Unref {
  void operator()(GBytes* b) const { g_bytes_unref(b); }
  void operator()(GVariant* v) const { g_variant_unref(v); }
  void operator()(GConverter* c) const { g_object_unref(c); }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

struct Item {
  std::uint32_t parent = kNoParent;
  std::string_view key;
  char type = 0;
  std::uint32_t valueStart = 0;
  std::uint32_t valueEnd = 0;
};

class Bundle {
 public:
  explicit Bundle(std::span<const std::byte> data) : data_(data) {}

  // The items of the root table; empty when the header or the table lies outside the data.
  bool readItems() {
    if (data_.size() < kHeaderBytes || std::memcmp(data_.data(), "GVariant", 8) != 0) return false;
    const std::uint64_t start = word(16), end = word(20);
    if (start > end || end > data_.size() || start % 4 != 0 || end - start < 8) return false;
    const std::uint64_t bloomWords = word(start) & ((1u << 27) - 1);
    const std::uint64_t buckets = word(start + 4);
    const std::uint64_t items = start + 8 + 4 * bloomWords + 4 * buckets;
    if (items > end) return false;
    const std::uint64_t count =
        std::min<std::uint64_t>((end - items) / kItemBytes, kMaxBundleEntries);
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint64_t at = items + i * kItemBytes;
      Item item;
      item.parent = word(at + 4);
      const std::uint64_t keyStart = word(at + 8);
      const std::uint64_t keySize = half(at + 12);
      item.type = static_cast<char>(data_[at + 14]);
      item.valueStart = word(at + 16);
      item.valueEnd = word(at + 20);
      if (keyStart + keySize <= data_.size())
        item.key = {reinterpret_cast<const char*>(data_.data()) + keyStart, keySize};
      items_.push_back(item);
    }
    return true;
  }

  // The full path of item `index`: its parents' keys and its own; none for a broken chain.
  std::optional<std::string> path(std::size_t index) const {
    std::vector<std::string_view> parts;
    std::size_t bytes = 0;
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i != kNoParent;
         i = items_[i].parent) {
      if (i >= items_.size() || parts.size() > kMaxDepth ||
          (bytes += items_[i].key.size()) > kMaxPathBytes)
        return std::nullopt;
      parts.push_back(items_[i].key);
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
      out.append(*it);
    return out;
  }

  const std::vector<Item>& items() const { return items_; }
  std::span<const std::byte> data() const { return data_; }

 private:
  std::uint32_t word(std::uint64_t at) const {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
      v = (v << 8) | std::to_integer<std::uint32_t>(data_[at + static_cast<std::uint64_t>(i)]);
    return v;
  }
  std::uint32_t half(std::uint64_t at) const {
    return std::to_integer<std::uint32_t>(data_[at]) |
           (std::to_integer<std::uint32_t>(data_[at + 1]) << 8);
  }

  std::span<const std::byte> data_;
  std::vector<Item> items_;
};

// The content of a file whose value is `value` ("(uuay)": size, flags, bytes), when it may be a
// builder file; `budget` is what may still be looked at in this bundle.
std::optional<std::string> content(GBytes* value, std::uint64_t& budget) {
  Owned<GVariant> boxed(
      g_variant_ref_sink(g_variant_new_from_bytes(G_VARIANT_TYPE_VARIANT, value, FALSE)));
  if (G_BYTE_ORDER == G_BIG_ENDIAN) boxed.reset(g_variant_byteswap(boxed.get()));
  Owned<GVariant> file(g_variant_get_variant(boxed.get()));
  if (!g_variant_is_of_type(file.get(), G_VARIANT_TYPE("(uuay)"))) return std::nullopt;
  guint32 size = 0, flags = 0;
  GVariant* array = nullptr;
  g_variant_get(file.get(), "(uu@ay)", &size, &flags, &array);
  Owned<GVariant> bytes(array);
  gsize length = 0;
  const auto* stored = static_cast<const char*>(g_variant_get_fixed_array(bytes.get(), &length, 1));
  if (size > kMaxUiBytes || size + length > budget) return std::nullopt;
  budget -= size + length;
  if (!(flags & G_RESOURCE_FLAGS_COMPRESSED))
    return std::string(stored, std::min<gsize>(size, length));
  // Decompressed into the size the bundle declares, never more.
  Owned<GConverter> zlib(G_CONVERTER(g_zlib_decompressor_new(G_ZLIB_COMPRESSOR_FORMAT_ZLIB)));
  std::string out(size, '\0');
  gsize read = 0, written = 0;
  while (written < out.size()) {
    gsize in = 0, made = 0;
    const GConverterResult r =
        g_converter_convert(zlib.get(), stored + read, length - read, out.data() + written,
                            out.size() - written, G_CONVERTER_INPUT_AT_END, &in, &made, nullptr);
    read += in;
    written += made;
    if (r == G_CONVERTER_ERROR || r == G_CONVERTER_FINISHED || (in == 0 && made == 0)) break;
  }
  out.resize(written);
  return out;
}

}  // namespace

std::vector<UiFile> shortcutsUiFiles(std::span<const std::byte> bundle) {
  // GLib reads values in place when they are aligned; the bytes are ours only for this call, so
  // hand it a copy it owns.
  Owned<GBytes> copy(g_bytes_new(bundle.data(), bundle.size()));
  gsize size = 0;
  const auto* data = static_cast<const std::byte*>(g_bytes_get_data(copy.get(), &size));
  Bundle b(std::span(data, size));
  if (!b.readItems()) return {};
  std::vector<UiFile> found;
  std::uint64_t budget = kMaxExaminedBytes;
  for (std::size_t i = 0; i < b.items().size() && found.size() < kMaxUiFiles; ++i) {
    const Item& item = b.items()[i];
    // A file's value is a variant, which is aligned to 8 bytes; folders are lists ('L').
    if (item.type != 'v' || item.valueStart > item.valueEnd || item.valueEnd > size ||
        item.valueStart % 8 != 0)
      continue;
    auto path = b.path(i);
    if (!path || !path->starts_with('/') || path->ends_with('/')) continue;
    Owned<GBytes> value(
        g_bytes_new_from_bytes(copy.get(), item.valueStart, item.valueEnd - item.valueStart));
    auto text = content(value.get(), budget);
    if (text && text->find(kMarker) != std::string::npos)
      found.push_back({std::move(*path), std::move(*text)});
  }
  std::sort(found.begin(), found.end(),
            [](const UiFile& x, const UiFile& y) { return x.path < y.path; });
  return found;
}

}  // namespace tavrine::sources::gtk
