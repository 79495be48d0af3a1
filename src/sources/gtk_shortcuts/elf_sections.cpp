// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/elf_sections.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace tavrine::sources::gtk {
namespace {

constexpr std::uint32_t kMaxSections = 1u << 16;
constexpr std::uint64_t kMaxNameTable = 1u << 20;
constexpr std::uint32_t kNoBits = 8;  // SHT_NOBITS: the section has no bytes in the file
constexpr std::uint16_t kExtendedIndex = 0xffff;  // SHN_XINDEX
constexpr std::string_view kPrefix = ".gresource.";

struct Layout {
  bool is64 = false;
  bool bigEndian = false;
};

std::uint64_t number(std::span<const std::byte> bytes, std::size_t at, std::size_t width,
                     bool bigEndian) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const auto byte =
        std::to_integer<std::uint64_t>(bytes[bigEndian ? at + i : at + width - 1 - i]);
    value = (value << 8) | byte;
  }
  return value;
}

bool inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

struct SectionHeader {
  std::uint32_t name = 0;
  std::uint32_t type = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint32_t link = 0;
};

SectionHeader readHeader(std::span<const std::byte> h, Layout layout) {
  const bool be = layout.bigEndian;
  SectionHeader s;
  s.name = static_cast<std::uint32_t>(number(h, 0, 4, be));
  s.type = static_cast<std::uint32_t>(number(h, 4, 4, be));
  if (layout.is64) {
    s.offset = number(h, 24, 8, be);
    s.size = number(h, 32, 8, be);
    s.link = static_cast<std::uint32_t>(number(h, 40, 4, be));
  } else {
    s.offset = number(h, 16, 4, be);
    s.size = number(h, 20, 4, be);
    s.link = static_cast<std::uint32_t>(number(h, 24, 4, be));
  }
  return s;
}

}  // namespace

std::vector<ElfSection> gresourceSections(std::uint64_t fileSize, const ReadAt& read) {
  std::array<std::byte, 64> ident{};
  if (fileSize < 52 || !read(0, std::span(ident).first(std::min<std::uint64_t>(64, fileSize))))
    return {};
  if (std::memcmp(ident.data(),
                  "\x7f"
                  "ELF",
                  4) != 0)
    return {};
  Layout layout;
  const auto elfClass = std::to_integer<int>(ident[4]);
  const auto encoding = std::to_integer<int>(ident[5]);
  if ((elfClass != 1 && elfClass != 2) || (encoding != 1 && encoding != 2)) return {};
  layout.is64 = elfClass == 2;
  layout.bigEndian = encoding == 2;
  if (layout.is64 && fileSize < 64) return {};
  const bool be = layout.bigEndian;

  const std::uint64_t tableOffset =
      layout.is64 ? number(ident, 40, 8, be) : number(ident, 32, 4, be);
  const std::size_t at = layout.is64 ? 58 : 46;
  const std::uint64_t entrySize = number(ident, at, 2, be);
  std::uint64_t count = number(ident, at + 2, 2, be);
  std::uint64_t namesIndex = number(ident, at + 4, 2, be);
  if (tableOffset == 0 || entrySize != (layout.is64 ? 64u : 40u)) return {};

  std::vector<std::byte> entry(entrySize);
  const auto header = [&](std::uint64_t index) -> std::optional<SectionHeader> {
    const std::uint64_t offset = tableOffset + index * entrySize;
    if (offset < tableOffset || !inside(offset, entrySize, fileSize) || !read(offset, entry))
      return std::nullopt;
    return readHeader(entry, layout);
  };
  // More sections than the header can count, or a name table index past it, sit in section 0.
  if (count == 0 || namesIndex == kExtendedIndex) {
    const auto first = header(0);
    if (!first) return {};
    if (count == 0) count = first->size;
    if (namesIndex == kExtendedIndex) namesIndex = first->link;
  }
  if (count == 0 || count > kMaxSections || namesIndex >= count ||
      !inside(tableOffset, count * entrySize, fileSize))
    return {};

  const auto names = header(namesIndex);
  if (!names || names->type == kNoBits || names->size > kMaxNameTable ||
      !inside(names->offset, names->size, fileSize))
    return {};
  std::vector<std::byte> nameTable(names->size);
  if (!read(names->offset, nameTable)) return {};
  const std::string_view nameText(reinterpret_cast<const char*>(nameTable.data()),
                                  nameTable.size());

  std::vector<ElfSection> found;
  for (std::uint64_t i = 0; i < count && found.size() < kMaxResourceSections; ++i) {
    const auto section = header(i);
    if (!section) return {};
    if (section->name >= nameText.size()) continue;
    std::string_view name = nameText.substr(section->name);
    name = name.substr(0, name.find('\0'));
    if (!name.starts_with(kPrefix) || section->type == kNoBits) continue;
    if (section->size == 0 || section->size > kMaxResourceSection ||
        !inside(section->offset, section->size, fileSize))
      continue;
    found.push_back({std::string(name), section->offset, section->size});
  }
  return found;
}

std::vector<ElfSection> gresourceSections(std::span<const std::byte> file) {
  return gresourceSections(file.size(), [file](std::uint64_t offset, std::span<std::byte> out) {
    if (!inside(offset, out.size(), file.size())) return false;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  });
}

}  // namespace tavrine::sources::gtk
