// SPDX-License-Identifier: MIT
// The accessibility backend the program reads other applications' menu bars through.
#pragma once

#include <memory>

#include "platform/accessibility.h"

namespace tavrine {

std::unique_ptr<ax::AccessibilityPort> makeAccessibilityPort();

}  // namespace tavrine
