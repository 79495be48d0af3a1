// SPDX-License-Identifier: MIT
// The built-in, bilingual catalogue of common system shortcuts shown below every application's,
// one per desktop, and the source that delivers it into the overlay's system section.
#pragma once

#include <string_view>
#include <vector>

#include "model/desktop.h"
#include "sources/shortcut_source.h"

namespace tavrine {

// The system section's headings, in display order, with their English and Chinese texts.
enum class SystemHeading { general, window, system, text };
struct HeadingText {
  std::string_view en;
  std::string_view zh;
};
HeadingText headingText(SystemHeading heading);

class SystemShortcuts final : public ShortcutSource {
 public:
  static constexpr const char* kName = "system";

  explicit SystemShortcuts(Desktop desktop) : desktop_(desktop) {}

  // The catalogue of `desktop`: four headings in display order, each with its English and Chinese
  // texts; every chord unique within its group. Built once, never changed.
  static const std::vector<ShortcutItem>& catalogue(Desktop desktop);

  Placement placement() const override { return Placement::system; }
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override;

 private:
  Desktop desktop_;
};

}  // namespace tavrine
