// SPDX-License-Identifier: MIT
#include "backends/linux/xdg/desktop_environment.h"

#include <algorithm>
#include <cctype>

namespace tavrine::xdg {
namespace {

bool isName(std::string_view entry, std::string_view name) {
  return entry.size() == name.size() &&
         std::equal(entry.begin(), entry.end(), name.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) == b;
         });
}

}  // namespace

Desktop desktopFromCurrentDesktop(std::string_view xdgCurrentDesktop) {
  while (!xdgCurrentDesktop.empty()) {
    const std::size_t colon = xdgCurrentDesktop.find(':');
    const std::string_view entry = xdgCurrentDesktop.substr(0, colon);
    if (isName(entry, "GNOME")) return Desktop::gnome;
    if (isName(entry, "KDE")) return Desktop::kde;
    if (isName(entry, "XFCE")) return Desktop::xfce;
    if (colon == std::string_view::npos) break;
    xdgCurrentDesktop.remove_prefix(colon + 1);
  }
  return Desktop::otherLinux;
}

}  // namespace tavrine::xdg
