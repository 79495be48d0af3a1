// SPDX-License-Identifier: MIT
// The entry of every Qt test program: one QApplication, on Qt's offscreen platform unless
// QT_QPA_PLATFORM says otherwise. With TAVRINE_TEST_X_SERVER (the X11 backend's tests) it first
// points $DISPLAY at an Xvfb of its own (Qt never talks to it) and gives the offscreen platform two
// screens side by side: "left" (primary) 1000x800 at (0, 0) and "right" 1280x1024 at (1000, 0).
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "shell/overlay/screen_reader_tree.h"
#ifdef TAVRINE_TEST_X_SERVER
#include "test_servers.h"
#endif

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns at every popup and raise that it cannot grab or stack windows.
void dropOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
    return;
  defaultHandler(type, context, message);
}

#ifdef TAVRINE_TEST_X_SERVER
void startXServerAndScreens(tavrine::doubles::ServerProcess& xvfb) {
  // Listing the tests (as CTest does to discover them) needs no server.
  const bool listing = GTEST_FLAG_GET(list_tests);
  const std::string dir = listing ? std::string() : tavrine::doubles::makeTemporaryDirectory();
  const std::string display = dir.empty()
                                  ? std::string()
                                  : xvfb.start({"Xvfb", "-displayfd", "{fd}", "-screen", "0",
                                                "1280x800x24", "-nolisten", "tcp", "-noreset"},
                                               {}, dir + "/xvfb.log");
  if (display.empty()) {
    if (!listing)
      std::fprintf(stderr, "Xvfb could not be started: the tests that need an X server skip.\n");
    unsetenv("DISPLAY");
  } else {
    setenv("DISPLAY", (":" + display).c_str(), 1);
  }
  const std::string screens = tavrine::doubles::makeTemporaryDirectory() + "/screens.json";
  std::ofstream(screens)
      << R"({"screens": [)"
         R"({"name": "left", "x": 0, "y": 0, "width": 1000, "height": 800, "logicalDpi": 96},)"
         R"({"name": "right", "x": 1000, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96}]})";
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).c_str());
}
#endif

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef TAVRINE_TEST_X_SERVER
  tavrine::doubles::ServerProcess xvfb;
  startXServerAndScreens(xvfb);
#endif
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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
