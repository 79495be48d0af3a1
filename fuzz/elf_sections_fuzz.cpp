// SPDX-License-Identifier: MIT
// The ELF section reader on arbitrary files: every section it names lies inside the file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sources/gtk_shortcuts/elf_sections.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = std::as_bytes(std::span(data, size));
  for (const auto& section : tavrine::sources::gtk::gresourceSections(file))
    if (section.offset > size || section.size > size - section.offset || section.size == 0 ||
        !section.name.starts_with(".gresource."))
      __builtin_trap();
  return 0;
}
