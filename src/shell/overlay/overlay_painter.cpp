// SPDX-License-Identifier: MIT
#include "shell/overlay/overlay_painter.h"

#include <QBrush>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <type_traits>

#include "shell/qt/qt_image.h"
#include "shell/qt/qt_symbols.h"

namespace tavrine::qt {
namespace {

// How far a continuous corner reaches along each edge, in radii. The corner is three cubic
// pieces, a close fit of the smooth corner of the platforms' design tools.
constexpr double kCornerReach = 1.52866483;

// Small rounded rectangles (the caps, the language switch) come in few sizes but by the
// hundred: each size is rasterised once, at each quarter-pixel offset it is met at, and then
// blitted, which is many times cheaper than filling its curved outline again. Painting happens on
// the GUI thread only, so one cache serves every overlay.
class ShapeSprites {
 public:
  static constexpr double kMaxSide = 96;  // device pixels; larger shapes are filled directly
  static constexpr int kSubpixelSteps = 4;
  static constexpr std::size_t kMaxSprites = 512;

  // Paints the rounded rectangle `frame`; false when the transform or the size rules a sprite
  // out and the caller must fill the outline itself.
  bool paint(QPainter& painter, const QRectF& frame, double radius, const QColor& color) {
    const QTransform& device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() != device.m22() || device.m11() <= 0)
      return false;
    const double scale = device.m11();
    const QSizeF size = frame.size() * scale;
    if (size.width() > kMaxSide || size.height() > kMaxSide) return false;

    const QPointF at = device.map(frame.topLeft());
    double x = std::floor(at.x());
    double y = std::floor(at.y());
    auto qx = static_cast<int>(std::lround((at.x() - x) * kSubpixelSteps));
    auto qy = static_cast<int>(std::lround((at.y() - y) * kSubpixelSteps));
    if (qx == kSubpixelSteps) {
      x += 1;
      qx = 0;
    }
    if (qy == kSubpixelSteps) {
      y += 1;
      qy = 0;
    }

    const Key key{size.width(), size.height(), radius * scale, color.rgba(), qx, qy, scale};
    auto found = sprites_.find(key);
    if (found == sprites_.end()) {
      if (sprites_.size() >= kMaxSprites) sprites_.clear();
      found = sprites_.emplace(key, render(key)).first;
    }
    // Where the current transform puts that whole device pixel.
    painter.drawImage(device.inverted().map(QPointF(x, y)), found->second);
    return true;
  }

 private:
  using Key = std::tuple<double, double, double, QRgb, int, int, double>;

  static QImage render(const Key& key) {
    const auto [width, height, radius, rgba, qx, qy, scale] = key;
    const double ox = static_cast<double>(qx) / kSubpixelSteps;
    const double oy = static_cast<double>(qy) / kSubpixelSteps;
    QImage image(static_cast<int>(std::ceil(ox + width)), static_cast<int>(std::ceil(oy + height)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(QRectF(ox, oy, width, height), radius),
                     QColor::fromRgba(rgba));
    painter.end();
    image.setDevicePixelRatio(scale);
    return image;
  }

  std::map<Key, QImage> sprites_;
};

void paintRoundedRect(QPainter& painter, const QRectF& frame, double radius, const QColor& color) {
  static ShapeSprites sprites;
  if (!sprites.paint(painter, frame, radius, color))
    painter.fillPath(continuousRoundedRect(frame, radius), color);
}

void paintBackdrop(QPainter& painter, const QRectF& frame, double radius,
                   const OverlayPalette& palette) {
  painter.save();
  // The backdrop is the first thing painted over a cleared (transparent) surface: replacing
  // instead of blending takes the fast solid fill.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillPath(continuousRoundedRect(frame, radius), palette.backdrop);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  // A hairline just inside the edge keeps the shape readable over dark windows.
  painter.setPen(QPen(palette.hairline, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(continuousRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5));
  painter.restore();
}

void paintText(QPainter& painter, const TextPrimitive& text, const QtTextMeasurer& measurer,
               const OverlayPalette& palette) {
  if (text.text.empty()) return;
  // Already shortened by the layout where it did not fit: drawn as it comes.
  painter.setFont(measurer.font(text.font));
  painter.setPen(palette.inkAt(text.opacity));
  painter.drawText(
      QPointF(text.frame.minX(), text.frame.minY() + measurer.metrics(text.font).ascent()),
      displayText(text.text));
}

void paintIcon(QPainter& painter, const IconPrimitive& icon) {
  const QIcon qicon = iconOf(icon.image);
  if (qicon.isNull()) return;
  const QRectF frame = toQRectF(icon.frame);
  const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
  const QPixmap pixmap = qicon.pixmap(frame.size().toSize(), ratio);
  if (pixmap.isNull()) return;
  // Stretched to the frame, whatever the icon's own aspect, and clipped with an anti-aliased edge
  // by filling the rounded shape with the image.
  QBrush brush(pixmap);
  const QSizeF logical = pixmap.deviceIndependentSize();
  QTransform transform;
  transform.translate(frame.left(), frame.top());
  transform.scale(frame.width() / logical.width(), frame.height() / logical.height());
  brush.setTransform(transform);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.fillPath(continuousRoundedRect(frame, icon.cornerRadius), brush);
  painter.restore();
}

// A round badge with an exclamation mark cut out of it in the backdrop's colour.
void paintConflictMark(QPainter& painter, const ConflictMarkPrimitive& mark,
                       const OverlayPalette& palette) {
  const QRectF frame = toQRectF(mark.frame);
  const double side = std::min(frame.width(), frame.height());
  const QPointF centre = frame.center();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(palette.inkAt(mark.opacity));
  painter.drawEllipse(centre, side / 2, side / 2);
  painter.setBrush(palette.backdrop);
  const double stroke = side * 0.14;
  painter.drawRoundedRect(
      QRectF(centre.x() - stroke / 2, frame.top() + side * 0.2, stroke, side * 0.4), stroke / 2,
      stroke / 2);
  painter.drawEllipse(QPointF(centre.x(), frame.top() + side * 0.76), stroke * 0.6, stroke * 0.6);
  painter.restore();
}

}  // namespace

QRectF toQRectF(const Rect& rect) {
  return {rect.minX(), rect.minY(), rect.width(), rect.height()};
}

QPainterPath continuousRoundedRect(const QRectF& rect, double radius) {
  QPainterPath path;
  const double shortSide = std::min(rect.width(), rect.height());
  const double r = std::clamp(radius, 0.0, shortSide / 2 / kCornerReach);
  if (r <= 0) {
    path.addRect(rect);
    return path;
  }
  const double l = rect.left();
  const double t = rect.top();
  const double rt = rect.right();
  const double b = rect.bottom();
  // One corner, from the end of one edge to the start of the next, in a frame where `x` runs
  // along the first edge towards the corner and `y` along the second edge away from it.
  const auto corner = [&](QPointF c, QPointF along, QPointF away) {
    const auto at = [&](double u, double v) { return c - along * u + away * v; };
    path.lineTo(at(kCornerReach * r, 0));
    path.cubicTo(at(1.08849323 * r, 0), at(0.86840689 * r, 0), at(0.63149399 * r, 0.07491100 * r));
    path.cubicTo(at(0.37282392 * r, 0.16905883 * r), at(0.16905883 * r, 0.37282392 * r),
                 at(0.07491100 * r, 0.63149399 * r));
    path.cubicTo(at(0, 0.86840689 * r), at(0, 1.08849323 * r), at(0, kCornerReach * r));
  };
  path.moveTo(l + kCornerReach * r, t);
  corner({rt, t}, {1, 0}, {0, 1});   // top right
  corner({rt, b}, {0, 1}, {-1, 0});  // bottom right
  corner({l, b}, {-1, 0}, {0, -1});  // bottom left
  corner({l, t}, {0, -1}, {1, 0});   // top left
  path.closeSubpath();
  return path;
}

void paintPrimitive(QPainter& painter, const Primitive& primitive, const QtTextMeasurer& measurer,
                    const OverlayPalette& palette) {
  std::visit(
      [&](const auto& p) {
        using T = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<T, RoundedRectPrimitive>) {
          if (p.fill == FillKind::backdrop) {
            paintBackdrop(painter, toQRectF(p.frame), p.cornerRadius, palette);
          } else {
            paintRoundedRect(painter, toQRectF(p.frame), p.cornerRadius, palette.inkAt(p.opacity));
          }
        } else if constexpr (std::is_same_v<T, LinePrimitive>) {
          painter.fillRect(toQRectF(p.frame), palette.inkAt(p.opacity));
        } else if constexpr (std::is_same_v<T, TextPrimitive>) {
          paintText(painter, p, measurer, palette);
        } else if constexpr (std::is_same_v<T, SymbolPrimitive>) {
          paintSymbol(painter, p.symbol, toQRectF(p.frame), palette.inkAt(p.opacity));
        } else if constexpr (std::is_same_v<T, IconPrimitive>) {
          paintIcon(painter, p);
        } else if constexpr (std::is_same_v<T, ConflictMarkPrimitive>) {
          paintConflictMark(painter, p, palette);
        }
      },
      primitive);
}

}  // namespace tavrine::qt
