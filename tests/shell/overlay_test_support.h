// SPDX-License-Identifier: MIT
// Shared by the overlay tests: the editor sample as a view, and reading pixels back.
#pragma once

#include <QColor>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "overlay/grouped_shortcuts.h"
#include "overlay/overlay_view.h"
#include "sources/system/system_shortcuts.h"
#include "support/fake_platform.h"

namespace tavrine::doubles {

// The realistic menu bar of an editor.
inline std::vector<ShortcutEntry> editorRecords() {
  return sampleShortcuts("editor.menu");
}

inline std::shared_ptr<OverlayView> makeView(const std::vector<ShortcutEntry>& records,
                                             TranslationHelper& t, ImageRef icon = nullptr) {
  return std::make_shared<OverlayView>("Editor", groupByMenu(records), t, OverlayStyle{},
                                       SystemShortcuts::catalogue(Desktop::macOS), "",
                                       std::move(icon));
}

// The glyphs Qt draws `text` with in `font`, fallback fonts included.
inline QList<QGlyphRun> glyphRuns(const QString& text, const QFont& font) {
  QTextLayout line(text, font);
  line.beginLayout();
  line.createLine();
  line.endLayout();
  return line.glyphRuns();
}

// Colours without premultiplication, so that a pixel's channels compare directly.
inline QImage straightAlpha(const QImage& image) {
  return image.convertToFormat(QImage::Format_ARGB32);
}

// WCAG 2 contrast between two opaque colours, from their relative luminance.
inline double contrastRatio(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
  return (light + 0.05) / (dark + 0.05);
}

// `image` drawn over a flat page of `page`, as a window over a desktop.
inline QImage over(const QImage& image, const QColor& page) {
  QImage shown(image.size(), QImage::Format_ARGB32);
  shown.fill(page);
  QPainter(&shown).drawImage(0, 0, image);
  return shown;
}

// The columns [left, right) that hold ink (light glyphs or shapes over the dark backdrop) inside
// `area`, if any.
struct InkSpan {
  int left = 0, right = 0;
  int width() const { return right - left; }
};
inline std::optional<InkSpan> inkSpan(const QImage& image, const QRectF& area) {
  const QRect r = area.toAlignedRect() & image.rect();
  std::optional<InkSpan> span;
  for (int x = r.left(); x <= r.right(); ++x)
    for (int y = r.top(); y <= r.bottom(); ++y)
      if (const QColor c = image.pixelColor(x, y); c.alpha() != 0 && c.red() > 90) {
        span = InkSpan{span ? span->left : x, x + 1};
        break;
      }
  return span;
}

}  // namespace tavrine::doubles
