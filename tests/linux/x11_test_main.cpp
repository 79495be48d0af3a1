// SPDX-License-Identifier: MIT
// The entry of the backend's tests against real servers: starts an Xvfb of its own (any free
// display, told through -displayfd) and points $DISPLAY at it, then runs the tests with one
// QApplication on Qt's offscreen platform (Qt itself never talks to that X server), given two
// screens side by side: "left" (primary) 1000x800 at (0, 0) and "right" 1280x1024 at (1000, 0).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "test_servers.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);

  tavrine::doubles::ServerProcess xvfb;
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
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
