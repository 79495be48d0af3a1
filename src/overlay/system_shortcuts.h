// The built-in, bilingual catalogue of common system shortcuts shown below every application's.
#pragma once

#include <string_view>
#include <vector>

namespace tavrine {

class SystemShortcuts {
 public:
  SystemShortcuts() = delete;

  struct Item {
    std::string_view titleEN;
    std::string_view titleZH;
    std::string_view shortcut;  // unique within its group
  };

  struct Group {
    std::string_view nameEN;  // unique in the catalogue
    std::string_view nameZH;
    std::vector<Item> items;
  };

  // The four groups in display order; built once, never changed.
  static const std::vector<Group>& groups();
};

}  // namespace tavrine
