// SPDX-License-Identifier: MIT
// The application's own menu bar, read through the accessibility port: the first source, whose
// rows all stay.
#pragma once

#include <vector>

#include "ports/accessibility.h"
#include "sources/shortcut_source.h"

namespace tavrine {

class MenuBarSource final : public ShortcutSource {
 public:
  static constexpr const char* kName = kMenuBarSource;

  // `accessibility` must outlive the source.
  explicit MenuBarSource(const ax::AccessibilityPort& accessibility)
      : accessibility_(accessibility) {}
  std::vector<ShortcutItem> shortcuts(const FrontApplication& app) const override;
  // Nothing, at once, for an application known not to answer.
  Answer answer(const FrontApplication& app) const override;

 private:
  const ax::AccessibilityPort& accessibility_;
};

}  // namespace tavrine
