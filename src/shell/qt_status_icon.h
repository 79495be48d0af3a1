// SPDX-License-Identifier: MIT
// The status item's icon: a Command sign (⌘) in a rounded square, like the system symbol
// "command.square", drawn afresh for every size asked for so it stays crisp.
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

namespace tavrine::qt {

// The sizes the icon advertises (tray protocols export these); it paints at any other too.
QList<QSize> commandSquareIconSizes();

// A template (mask) icon: only its alpha channel matters where the platform tints it (macOS
// menu bars, light or dark); elsewhere it is drawn in the palette's window-text colour.
QIcon commandSquareIcon();

}  // namespace tavrine::qt
