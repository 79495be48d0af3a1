// SPDX-License-Identifier: MIT
// The entry of every Qt shell test: one QApplication for the whole run, on Qt's offscreen
// platform unless QT_QPA_PLATFORM says otherwise, so no window server is needed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QtGlobal>

#include "shell/overlay/screen_reader_tree.h"

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns at every popup and raise that it cannot grab or stack windows.
void dropOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
    return;
  defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // As the panel does before its first overlay.
  tavrine::qt::installScreenReaderTree();
  if (QGuiApplication::platformName() == QLatin1String("offscreen"))
    defaultHandler = qInstallMessageHandler(dropOffscreenNoise);
  const int result = RUN_ALL_TESTS();
  // Windows deleted later (dropped panels) go now, as they would when the main loop ends.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return result;
}
