// SPDX-License-Identifier: MIT
// Which desktop the program runs on, from what the session tells it.
#pragma once

#include <string_view>

#include "model/desktop.h"

namespace tavrine::xdg {

// The desktop named by XDG_CURRENT_DESKTOP: a colon-separated list, most specific first
// ("ubuntu:GNOME", "KDE", "XFCE"). The first name that is GNOME, KDE or XFCE, in any case,
// decides; anything else ("X-Cinnamon", "MATE", empty) is Desktop::otherLinux.
Desktop desktopFromCurrentDesktop(std::string_view xdgCurrentDesktop);

}  // namespace tavrine::xdg
