// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tavrine::xdg {
namespace {

TEST(DesktopEnvironmentTest, TheFirstKnownNameInTheListDecides) {
  const std::vector<std::pair<std::string, Desktop>> cases = {
      {"GNOME-Classic:GNOME", Desktop::gnome},
      {"gnome", Desktop::gnome},
      {"KDE", Desktop::kde},
      {"XFCE", Desktop::xfce},
      {"KDE:GNOME", Desktop::kde},
      {"MATE", Desktop::otherLinux},
      {"GNOMEX", Desktop::otherLinux},
      {"X-GNOME", Desktop::otherLinux},
      {":::", Desktop::otherLinux},
      {"", Desktop::otherLinux}};
  for (const auto& [value, desktop] : cases)
    EXPECT_EQ(desktopFromCurrentDesktop(value), desktop) << value;
}

}  // namespace
}  // namespace tavrine::xdg
