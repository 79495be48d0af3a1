// SPDX-License-Identifier: MIT
// Every colour the overlay paints with, in a dark and a light look. The layout gives each
// primitive an opacity of the ink; the palette says what the ink is and over what backdrop.
#pragma once

#include <QColor>
#include <QString>

namespace tavrine::qt {

struct OverlayPalette {
  // The stand-in for the ultra-thin material: translucent enough that a compositor's blur shows
  // through, opaque enough that the dimmest headings keep 4:1 contrast over any page below.
  QColor backdrop;
  // Text, symbols, caps and dividers: this colour at the layout's opacity times `inkGain`.
  QColor ink;
  // Dark ink on a light backdrop needs more of itself than light ink on dark for the same
  // contrast; 1 in the dark look, whose opacities the layout was drawn for.
  double inkGain = 1;
  // The hairline just inside the backdrop's edge.
  QColor hairline;
  // A search match marked over its text.
  QColor highlight;

  static const OverlayPalette& dark();
  static const OverlayPalette& light();
  static const OverlayPalette& of(bool dark) { return dark ? OverlayPalette::dark() : light(); }

  QColor inkAt(double opacity) const;
  // The ink at an alpha given on the dark look's 0–255 scale, as a style sheet's "rgba(…)".
  QString inkRgba(int alpha) const;

  // The style sheets of the widgets on the panel, in these colours.
  QString menuStyle(double cornerRadius) const;
  QString scrollBarStyle() const;
  QString searchFieldStyle() const;
  QString countStyle() const;
};

}  // namespace tavrine::qt
