// SPDX-License-Identifier: MIT
// The desktop Tavrine runs on, as far as its own shortcuts go. The program tells it at start-up
// (on Linux from XDG_CURRENT_DESKTOP); otherLinux holds what most Linux desktops share.
#pragma once

namespace tavrine {

enum class Desktop { macOS, gnome, kde, xfce, otherLinux };

}  // namespace tavrine
