// SPDX-License-Identifier: MIT
// A platform image on Qt: an icon, drawn at whatever size the place that shows it asks for.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "ports/workspace.h"

namespace tavrine::qt {

class QtImage final : public Image {
 public:
  explicit QtImage(QIcon icon, QString accessibilityDescription = {})
      : icon_(std::move(icon)), description_(std::move(accessibilityDescription)) {}

  const QIcon& icon() const { return icon_; }
  // What assistive technology reads for it (the tray icon's tool tip); may be empty.
  const QString& accessibilityDescription() const { return description_; }

  // `width` × `height` ARGB pixels (0xAARRGGBB in native byte order, rows from the top) as a
  // QImage of `format` (QImage::Format_ARGB32, or Format_ARGB32_Premultiplied for premultiplied
  // pixels), copied; a null image when the sizes do not fit the pixels.
  static QImage argb32Image(int width, int height, const std::uint32_t* pixels, std::size_t count,
                            QImage::Format format = QImage::Format_ARGB32) {
    if (width <= 0 || height <= 0 || pixels == nullptr ||
        count != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
      return {};
    }
    QImage image(width, height, format);
    if (image.isNull()) return {};
    for (int row = 0; row < height; ++row) {
      std::memcpy(image.scanLine(row), pixels + static_cast<std::size_t>(row) * width,
                  static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    return image;
  }

  // The same pixels as an image for the ports; null when the sizes do not fit the pixels. Needs
  // the QGuiApplication.
  static ImageRef fromArgb32(int width, int height, const std::uint32_t* pixels, std::size_t count,
                             QImage::Format format = QImage::Format_ARGB32) {
    const QImage image = argb32Image(width, height, pixels, count, format);
    if (image.isNull()) return nullptr;
    return std::make_shared<QtImage>(QIcon(QPixmap::fromImage(image)));
  }

 private:
  QIcon icon_;
  QString description_;
};

// The icon inside `image`, or a null icon when there is none or it is not a QtImage.
inline QIcon iconOf(const ImageRef& image) {
  const auto* qtImage = dynamic_cast<const QtImage*>(image.get());
  return qtImage ? qtImage->icon() : QIcon();
}

}  // namespace tavrine::qt
