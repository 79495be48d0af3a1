// SPDX-License-Identifier: MIT
#include "shell/qt/qt_status_bar.h"

#include <QCursor>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <utility>

#include "shell/qt/qt_image.h"
#include "shell/qt/qt_menu_binding.h"
#include "shell/qt/qt_status_icon.h"
#include "shell/qt/qt_text_measurer.h"

namespace tavrine::qt {

// The tray icon's image and tool tip (what screen readers and hovering show).
class QtStatusBarButton final : public StatusBarButton {
 public:
  explicit QtStatusBarButton(QSystemTrayIcon& tray) : tray_(tray) {}

  void setImage(ImageRef image) override {
    const QIcon icon = iconOf(image);
    if (icon.isNull()) {
      tray_.hide();
      tray_.setIcon(QIcon());
      tray_.setToolTip(QString());
      return;
    }
    const auto& qtImage = static_cast<const QtImage&>(*image);
    tray_.setIcon(icon);
    tray_.setToolTip(qtImage.accessibilityDescription());
    tray_.show();
  }

 private:
  QSystemTrayIcon& tray_;
};

QtStatusItem::QtStatusItem(bool withTrayIcon,
                           std::shared_ptr<std::weak_ptr<MenuActionTarget>> responderEnd)
    : responderEnd_(std::move(responderEnd)) {
  if (!withTrayIcon) return;
  tray_ = std::make_unique<QSystemTrayIcon>();
  button_ = std::make_unique<QtStatusBarButton>(*tray_);
#ifndef Q_OS_MACOS
  // macOS opens the menu on any click; Linux trays give it to the context click only and report
  // a plain click as a trigger.
  QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger && binding_)
                       binding_->menu()->popup(QCursor::pos());
                   });
#endif
}

QtStatusItem::~QtStatusItem() {
  if (tray_) tray_->setContextMenu(nullptr);
}

StatusBarButton* QtStatusItem::button() {
  return button_.get();
}

void QtStatusItem::setMenu(MenuRef model) {
  if (tray_) tray_->setContextMenu(nullptr);
  binding_.reset();
  if (!model) return;
  binding_ = std::make_unique<QtMenuBinding>(std::move(model),
                                             [end = responderEnd_] { return end->lock(); });
  if (tray_) tray_->setContextMenu(binding_->menu());
}

QMenu* QtStatusItem::menu() const {
  return binding_ ? binding_->menu() : nullptr;
}

MenuRef QtStatusItem::menuModel() const {
  return binding_ ? binding_->model() : nullptr;
}

QtStatusBar::QtStatusBar(TrayAvailability tray, QString themeIconName)
    : tray_(tray),
      themeIconName_(std::move(themeIconName)),
      responderEnd_(std::make_shared<std::weak_ptr<MenuActionTarget>>()) {}

void QtStatusBar::setResponderChainEnd(std::weak_ptr<MenuActionTarget> end) {
  *responderEnd_ = std::move(end);
}

StatusItemRef QtStatusBar::statusItemWithLength(double /*length*/) {
  bool withTray = false;
  switch (tray_) {
    case TrayAvailability::automatic:
      withTray = QSystemTrayIcon::isSystemTrayAvailable();
      break;
    case TrayAvailability::always:
      withTray = true;
      break;
    case TrayAvailability::never:
      withTray = false;
      break;
  }
  return std::make_shared<QtStatusItem>(withTray, responderEnd_);
}

ImageRef QtStatusBar::systemSymbolImage(std::string_view name,
                                        std::string_view accessibilityDescription) {
  if (name != "command.square") return nullptr;
  return std::make_shared<QtImage>(commandSquareIcon(themeIconName_),
                                   toQString(accessibilityDescription));
}

}  // namespace tavrine::qt
