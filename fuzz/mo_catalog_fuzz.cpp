// SPDX-License-Identifier: MIT
// Gettext catalogues on arbitrary bytes: read or refused, never read outside the data.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/gtk_shortcuts/mo_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace gtk = tavrine::sources::gtk;
  const auto catalog =
      gtk::MoCatalog::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (catalog) {
    if (catalog->size() > gtk::kMaxCatalogMessages) __builtin_trap();
    (void)catalog->translate("ctx", "Open");
  }
  return 0;
}
