// SPDX-License-Identifier: MIT
#include "sources/gtk_shortcuts/elf_sections.h"

#include <elf.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <string_view>

namespace tavrine::sources::gtk {
namespace {

constexpr std::uint32_t kMaxSections = 1u << 16;
constexpr std::uint64_t kMaxNameTable = 1u << 20;
constexpr std::string_view kPrefix = ".gresource.";

// A field of the file in the host's byte order; `swap` when the file's order is the other one.
template <typename T>
T inOrder(T value, bool swap) {
  if (!swap) return value;
  auto bytes = std::bit_cast<std::array<std::byte, sizeof(T)>>(value);
  std::reverse(bytes.begin(), bytes.end());
  return std::bit_cast<T>(bytes);
}

bool inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

template <typename T>
bool readInto(const ReadAt& read, std::uint64_t offset, T& out) {
  return read(offset, std::as_writable_bytes(std::span(&out, 1)));
}

struct SectionHeader {
  std::uint32_t name = 0;
  std::uint32_t type = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint32_t link = 0;
};

// One class's reading: Elf32_Ehdr/Elf32_Shdr or Elf64_Ehdr/Elf64_Shdr.
template <typename Ehdr, typename Shdr>
std::vector<ElfSection> sectionsOf(std::uint64_t fileSize, const ReadAt& read, bool swap) {
  Ehdr file{};
  if (fileSize < sizeof file || !readInto(read, 0, file)) return {};
  const std::uint64_t tableOffset = inOrder(file.e_shoff, swap);
  const std::uint64_t entrySize = inOrder(file.e_shentsize, swap);
  std::uint64_t count = inOrder(file.e_shnum, swap);
  std::uint64_t namesIndex = inOrder(file.e_shstrndx, swap);
  if (tableOffset == 0 || entrySize != sizeof(Shdr)) return {};

  const auto header = [&](std::uint64_t index) -> std::optional<SectionHeader> {
    const std::uint64_t offset = tableOffset + index * entrySize;
    Shdr s{};
    if (offset < tableOffset || !inside(offset, entrySize, fileSize) || !readInto(read, offset, s))
      return std::nullopt;
    return SectionHeader{inOrder(s.sh_name, swap), inOrder(s.sh_type, swap),
                         inOrder(s.sh_offset, swap), inOrder(s.sh_size, swap),
                         inOrder(s.sh_link, swap)};
  };
  // More sections than the header can count, or a name table index past it, sit in section 0.
  if (count == SHN_UNDEF || namesIndex == SHN_XINDEX) {
    const auto first = header(0);
    if (!first) return {};
    if (count == SHN_UNDEF) count = first->size;
    if (namesIndex == SHN_XINDEX) namesIndex = first->link;
  }
  if (count == 0 || count > kMaxSections || namesIndex >= count ||
      !inside(tableOffset, count * entrySize, fileSize))
    return {};

  const auto names = header(namesIndex);
  if (!names || names->type == SHT_NOBITS || names->size > kMaxNameTable ||
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
    if (!name.starts_with(kPrefix) || section->type == SHT_NOBITS) continue;
    if (section->size == 0 || section->size > kMaxResourceSection ||
        !inside(section->offset, section->size, fileSize))
      continue;
    found.push_back({std::string(name), section->offset, section->size});
  }
  return found;
}

}  // namespace

std::vector<ElfSection> gresourceSections(std::uint64_t fileSize, const ReadAt& read) {
  std::array<unsigned char, EI_NIDENT> ident{};
  if (fileSize < ident.size() || !readInto(read, 0, ident) ||
      std::memcmp(ident.data(), ELFMAG, SELFMAG) != 0)
    return {};
  const unsigned char encoding = ident[EI_DATA];
  if (encoding != ELFDATA2LSB && encoding != ELFDATA2MSB) return {};
  const bool swap = (encoding == ELFDATA2MSB) != (std::endian::native == std::endian::big);
  switch (ident[EI_CLASS]) {
    case ELFCLASS32:
      return sectionsOf<Elf32_Ehdr, Elf32_Shdr>(fileSize, read, swap);
    case ELFCLASS64:
      return sectionsOf<Elf64_Ehdr, Elf64_Shdr>(fileSize, read, swap);
    default:
      return {};
  }
}

std::vector<ElfSection> gresourceSections(std::span<const std::byte> file) {
  return gresourceSections(file.size(), [file](std::uint64_t offset, std::span<std::byte> out) {
    if (!inside(offset, out.size(), file.size())) return false;
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  });
}

}  // namespace tavrine::sources::gtk
