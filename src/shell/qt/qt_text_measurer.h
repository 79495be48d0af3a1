// SPDX-License-Identifier: MIT
// Real font metrics for the overlay's layout: the system font with Qt's glyph fallback, so text
// in any script (Chinese included) is measured with the fonts that will draw it.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <deque>
#include <string_view>

#include "ports/text_measurer.h"

namespace tavrine::qt {

// A core text (UTF-8) as a QString; ill-formed bytes become U+FFFD.
inline QString toQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A core text as Qt draws it on one line. Control characters, line and paragraph separators
// become spaces: Qt would otherwise break the line there, or take U+009C for its separator of
// length variants and drop everything after it.
QString displayText(std::string_view utf8);

class QtTextMeasurer final : public TextMeasurer {
 public:
  QtTextMeasurer();

  Size measure(std::string_view text, const Font& font) const override;
  Size measure(Symbol symbol, double pointSize) const override;

  // The Qt font for a core font. Layout points are device-independent pixels, so the size is
  // set in pixels: 13 points is 13 pixels whatever the screen's logical DPI (96 on X11, 72 on
  // macOS), and measuring and painting agree on every paint device.
  const QFont& font(const Font& font) const { return entry(font).font; }
  const QFontMetricsF& metrics(const Font& font) const { return entry(font).metrics; }

 private:
  struct Entry {
    Font key;
    QFont font;
    QFontMetricsF metrics;
  };
  const Entry& entry(const Font& font) const;

  QFont general_;
  QFont fixed_;
  mutable std::deque<Entry> cache_;  // a handful of fonts; deque keeps references stable
};

}  // namespace tavrine::qt
