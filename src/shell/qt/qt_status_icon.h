// SPDX-License-Identifier: MIT
// The status item's icon: a Command sign (⌘) in a rounded square, like the system symbol
// "command.square", drawn afresh for every size asked for so it stays crisp.
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QString>

namespace tavrine::qt {

// The sizes the icon advertises (tray protocols export these); it paints at any other too.
QList<QSize> commandSquareIconSizes();

// A template (mask) icon: only its alpha channel matters where the platform tints it (macOS
// menu bars, light or dark); elsewhere it is drawn in the palette's window-text colour.
QIcon commandSquareIcon();

// The same sign, light on a dark rounded square: legible on light and dark panels alike where
// nothing recolours the icon.
QIcon commandSquareBadge();

// The icon theme's `themeName` where the theme has it (an installed program's symbolic icon,
// which desktops recolour to suit their panel, a mask); else on macOS commandSquareIcon() and
// elsewhere commandSquareBadge().
QIcon commandSquareIcon(const QString& themeName);

}  // namespace tavrine::qt
