// SPDX-License-Identifier: MIT
#include "platform/linux/desktop_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tavrine::xdg {
namespace {

TEST(DesktopEnvironmentTest, TheFirstKnownNameInTheListDecides) {
  const std::vector<std::pair<std::string, Desktop>> cases = {
      {"GNOME", Desktop::gnome},
      {"ubuntu:GNOME", Desktop::gnome},
      {"GNOME-Classic:GNOME", Desktop::gnome},
      {"gnome", Desktop::gnome},
      {"KDE", Desktop::kde},
      {"XFCE", Desktop::xfce},
      {"xfce", Desktop::xfce},
      {"KDE:GNOME", Desktop::kde},
      {"X-Cinnamon", Desktop::otherLinux},
      {"MATE", Desktop::otherLinux},
      {"Unity:Unity7:ubuntu", Desktop::otherLinux},
      {"GNOMEX", Desktop::otherLinux},
      {"X-GNOME", Desktop::otherLinux},
      {":::", Desktop::otherLinux},
      {"", Desktop::otherLinux}};
  for (const auto& [value, desktop] : cases)
    EXPECT_EQ(desktopFromCurrentDesktop(value), desktop) << value;
}

}  // namespace
}  // namespace tavrine::xdg
