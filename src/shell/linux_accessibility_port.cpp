// SPDX-License-Identifier: MIT
// SEAM, to be replaced when the AT-SPI menu reader joins the build: this body should then make
// that backend (tavrine::atspi::AtspiAccessibility). Until then the program cannot read another
// application's menus: every application answers with no element, the harvest is empty and
// holding Ctrl shows nothing. No pretend menus are served here.
#include <cstdint>
#include <memory>

#include "shell/accessibility_port.h"

namespace tavrine {
namespace {

class NoAccessibility final : public ax::AccessibilityPort {
 public:
  ax::ElementRef applicationElement(std::int32_t /*pid*/) const override { return nullptr; }
};

}  // namespace

std::unique_ptr<ax::AccessibilityPort> makeAccessibilityPort() {
  return std::make_unique<NoAccessibility>();
}

}  // namespace tavrine
