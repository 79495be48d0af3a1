// SPDX-License-Identifier: MIT
// Where the GResource bundles of an ELF file lie. glib-compile-resources puts each bundle that a
// program or library links in into a section of its own named ".gresource.<name>", so the
// section table is all we read: no symbols, no relocations, no loading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tavrine::sources::gtk {

struct ElfSection {
  std::string name;
  std::uint64_t offset = 0;  // in the file
  std::uint64_t size = 0;

  bool operator==(const ElfSection&) const = default;
};

// Fills `out` with the file's bytes at `offset`; false when they cannot be read.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::byte> out)>;

// Sections larger than this are not GResources a program would carry; they are skipped. A file
// has a bundle or two; sections past the first kMaxResourceSections are not looked at.
inline constexpr std::uint64_t kMaxResourceSection = 64u << 20;
inline constexpr std::size_t kMaxResourceSections = 64;

// The ".gresource.*" sections of an ELF file (32 or 64 bits, either byte order) of `fileSize`
// bytes, in section order. Empty for anything that is not a well-formed ELF file: a section
// table or a name that lies outside the file, absurd counts, unreadable bytes.
std::vector<ElfSection> gresourceSections(std::uint64_t fileSize, const ReadAt& read);

// The same over bytes in memory.
std::vector<ElfSection> gresourceSections(std::span<const std::byte> file);

}  // namespace tavrine::sources::gtk
