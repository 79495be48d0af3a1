// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/mo_catalog.h"

#include <cstdint>

namespace tavrine::sources::gtk {
namespace {

std::optional<std::uint32_t> word(std::string_view data, std::uint64_t at, bool swap) {
  if (at > data.size() || data.size() - at < 4) return std::nullopt;
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    const auto byte =
        static_cast<std::uint8_t>(data[at + static_cast<std::uint64_t>(swap ? i : 3 - i)]);
    v = (v << 8) | byte;
  }
  return v;
}

// Entry `index` of a string table at `table`: up to its first NUL (a plural's other forms and
// the terminator are not needed).
std::optional<std::string_view> entry(std::string_view data, std::uint64_t table,
                                      std::uint64_t index, bool swap) {
  const auto length = word(data, table + index * 8, swap);
  const auto offset = word(data, table + index * 8 + 4, swap);
  if (!length || !offset || *offset > data.size() || data.size() - *offset < *length)
    return std::nullopt;
  std::string_view s = data.substr(*offset, *length);
  return s.substr(0, s.find('\0'));
}

}  // namespace

std::optional<MoCatalog> MoCatalog::parse(std::string_view data) {
  if (data.size() > kMaxCatalogBytes) return std::nullopt;
  const auto magic = word(data, 0, false);
  if (!magic || (*magic != 0x950412deu && *magic != 0xde120495u)) return std::nullopt;
  // The magic reads right in the file's byte order; little-endian reads are the default.
  const bool swap = *magic == 0xde120495u;
  const auto count = word(data, 8, swap);
  const auto originals = word(data, 12, swap);
  const auto translations = word(data, 16, swap);
  if (!count || !originals || !translations || *count > kMaxCatalogMessages) return std::nullopt;
  MoCatalog catalog;
  // Entries may overlap, so a small file can name far more text than it holds; one that names
  // more than its own size is not a catalogue msgfmt wrote.
  std::uint64_t copied = 0;
  for (std::uint64_t i = 0; i < *count; ++i) {
    const auto original = entry(data, *originals, i, swap);
    const auto translation = entry(data, *translations, i, swap);
    if (!original || !translation) return std::nullopt;
    // The header (empty message) and untranslated entries add nothing.
    if (original->empty() || translation->empty()) continue;
    copied += original->size() + translation->size();
    if (copied > data.size()) return std::nullopt;
    catalog.messages_.emplace(*original, *translation);
  }
  return catalog;
}

const std::string* MoCatalog::translate(std::string_view context, std::string_view message) const {
  std::string key;
  if (!context.empty()) {
    key.reserve(context.size() + 1 + message.size());
    key.append(context).push_back('\x04');
  }
  key.append(message);
  const auto it = messages_.find(key);
  return it == messages_.end() ? nullptr : &it->second;
}

std::vector<std::filesystem::path> catalogCandidates(const std::filesystem::path& root,
                                                     std::string_view domain,
                                                     std::string_view language,
                                                     const std::filesystem::path& executable) {
  // The domain comes from another application's data: a name, never a path.
  if (domain.empty() || domain.front() == '.' ||
      domain.find_first_not_of(
          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-+@") !=
          std::string_view::npos)
    return {};
  std::vector<std::filesystem::path> languages{std::string(language)};
  if (const auto cut = language.find('_'); cut != std::string_view::npos)
    languages.emplace_back(language.substr(0, cut));
  std::vector<std::filesystem::path> bases{"usr/share/locale"};
  const auto prefix = executable.parent_path().parent_path().relative_path();
  if (!prefix.empty() && prefix != "usr") bases.push_back(prefix / "share/locale");
  const std::string file = std::string(domain) + ".mo";
  std::vector<std::filesystem::path> out;
  for (const auto& base : bases)
    for (const auto& lang : languages)
      out.push_back(root / base / lang / "LC_MESSAGES" / file);
  return out;
}

}  // namespace tavrine::sources::gtk
