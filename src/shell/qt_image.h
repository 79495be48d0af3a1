// A platform image on Qt: an icon, drawn at whatever size the place that shows it asks for.
#pragma once

#include <QIcon>
#include <QString>
#include <utility>

#include "platform/workspace.h"

namespace tavrine::qt {

class QtImage final : public Image {
 public:
  explicit QtImage(QIcon icon, QString accessibilityDescription = {})
      : icon_(std::move(icon)), description_(std::move(accessibilityDescription)) {}

  const QIcon& icon() const { return icon_; }
  // What assistive technology reads for it (the tray icon's tool tip); may be empty.
  const QString& accessibilityDescription() const { return description_; }

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
