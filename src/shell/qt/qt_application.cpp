// SPDX-License-Identifier: MIT
#include "shell/qt/qt_application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QMetaObject>
#include <QPixmapCache>
#include <QThread>
#include <utility>

#include "shell/qt/qt_status_icon.h"

#ifndef TAVRINE_VERSION
#define TAVRINE_VERSION ""
#endif

namespace tavrine::qt {

QtApplication::QtApplication(ActivationPolicyHook applyActivationPolicy)
    : applyActivationPolicy_(std::move(applyActivationPolicy)) {
  // A status-bar program has no main window: closing the about box must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's pixmap cache would keep a scaled copy of each application icon the panel draws and wake
  // the idle program 30 s after the last one to trim them: one icon a show is cheaper scaled again.
  QPixmapCache::setCacheLimit(0);
}

QtApplication::~QtApplication() {
  delete about_.data();
}

QString QtApplication::applicationName() {
  return QStringLiteral("Tavrine");
}

QString QtApplication::applicationVersion() {
  const QString set = QCoreApplication::applicationVersion();
  return set.isEmpty() ? QStringLiteral(TAVRINE_VERSION) : set;
}

void QtApplication::setActivationPolicy(ActivationPolicy policy) {
  policy_ = policy;
  if (applyActivationPolicy_) applyActivationPolicy_(policy);
}

void QtApplication::orderFrontStandardAboutPanel() {
  if (!about_) {
    const QString name = applicationName();
    const QString version = applicationVersion();
    // What QMessageBox::about builds, but shown rather than run: about() blocks in its own loop
    // on Linux, and the core's timers and monitors must go on while the box is open.
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About %1").arg(name), name,
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setTextFormat(Qt::PlainText);
    if (!version.isEmpty()) box->setInformativeText(QStringLiteral("Version %1").arg(version));
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = commandSquareIcon();
    box->setIconPixmap(icon.pixmap(QSize(64, 64)));
    about_ = box;
  }
  // Shown and raised only: the application is not activated first.
  about_->show();
  about_->raise();
}

void QtApplication::terminate() {
  if (QThread::currentThread()->loopLevel() > 0) {
    // Every event loop of the main thread ends; the outermost, the main loop, returns 0.
    QCoreApplication::exit(0);
    return;
  }
  // exit() is lost when no loop runs; a queued exit ends the main loop in its first turn.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace tavrine::qt
