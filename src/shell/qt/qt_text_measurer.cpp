// SPDX-License-Identifier: MIT
#include "shell/qt/qt_text_measurer.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <algorithm>
#include <cmath>

#include "shell/qt/qt_symbols.h"

namespace tavrine::qt {
namespace {

QFont::Weight qtWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::regular:
      return QFont::Normal;
    case FontWeight::medium:
      return QFont::Medium;
    case FontWeight::semibold:
      return QFont::DemiBold;
    case FontWeight::bold:
      return QFont::Bold;
  }
  return QFont::Normal;
}

bool breaksOneLine(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// Emoji come from a colour emoji face before any other fallback: CJK faces carry monochrome
// forms of some (🆕) that would otherwise win. The overlay's Chinese is Simplified: without a
// hint, fallback may pick a Japanese or Traditional CJK face whose glyph shapes differ.
// Families that are not installed are skipped.
QFont withFallbacks(QFont font) {
  // The resolved family, not an alias such as "Sans Serif" that a family list would pass over.
  font.setFamilies({QFontInfo(font).family(), QStringLiteral("Apple Color Emoji"),
                    QStringLiteral("Noto Color Emoji"), QStringLiteral("PingFang SC"),
                    QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                    QStringLiteral("Microsoft YaHei")});
  return font;
}

}  // namespace

QString displayText(std::string_view utf8) {
  const QString text = toQString(utf8);
  // Each text is an isolate of its own, so that its direction reaches nothing around it (a
  // Hebrew title, the "…" after it); the embeddings and overrides another application may have
  // put in it are dropped, so that it draws in its characters' own order.
  QString shown(QChar(0x2068));
  shown.reserve(text.size() + 2);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069)) continue;
    shown += breaksOneLine(u) ? QChar(u' ') : c;
  }
  return shown += QChar(0x2069);
}

QtTextMeasurer::QtTextMeasurer()
    : general_(withFallbacks(QFontDatabase::systemFont(QFontDatabase::GeneralFont))),
      fixed_(withFallbacks(QFontDatabase::systemFont(QFontDatabase::FixedFont))) {}

const QtTextMeasurer::Entry& QtTextMeasurer::entry(const Font& key) const {
  const auto found =
      std::find_if(cache_.begin(), cache_.end(), [&](const Entry& e) { return e.key == key; });
  if (found != cache_.end()) return *found;

  QFont font = key.design == FontDesign::monospaced ? fixed_ : general_;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(key.size))));
  font.setWeight(qtWeight(key.weight));
  return cache_.emplace_back(Entry{key, font, QFontMetricsF(font)});
}

Size QtTextMeasurer::measure(std::string_view text, const Font& font) const {
  const QFontMetricsF& m = metrics(font);
  return {text.empty() ? 0.0 : m.horizontalAdvance(displayText(text)), m.height()};
}

Size QtTextMeasurer::measure(Symbol symbol, double pointSize) const {
  const QSizeF size = symbolSize(symbol, pointSize);
  return {size.width(), size.height()};
}

}  // namespace tavrine::qt
